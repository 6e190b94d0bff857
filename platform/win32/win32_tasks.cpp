#include "platform/win32/win32_tasks.h"

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_wide_text.h"

#include <taskschd.h>

#include <string>

namespace tavrine {

namespace {

using win32::UniqueBstr;
using win32::UniqueCom;

// CoInitializeEx for one call. A thread already in another apartment (the window's thread,
// if something made it single-threaded) keeps it: COM works there too, and only a successful
// initialisation is balanced by CoUninitialize.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

// UTF-8 in, a BSTR out (null when out of memory or when the text is not well-formed UTF-8).
UniqueBstr bstr(std::string_view text) {
    const std::optional<std::wstring> wide = win32::wide_from_utf8(text);
    return wide ? UniqueBstr(SysAllocStringLen(wide->data(), static_cast<UINT>(wide->size()))) : UniqueBstr();
}

// The scheduler's root folder ("\") on this machine, connected as the calling user.
UniqueCom<ITaskFolder> root_folder() {
    UniqueCom<ITaskService> service;
    if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                reinterpret_cast<void**>(service.put())))) {
        return {};
    }
    VARIANT none;
    VariantInit(&none); // VT_EMPTY: this machine, the caller's own account
    if (FAILED(service.get()->Connect(none, none, none, none))) {
        return {};
    }
    const UniqueBstr root = bstr("\\");
    UniqueCom<ITaskFolder> folder;
    if (!root || FAILED(service.get()->GetFolder(root.get(), folder.put()))) {
        return {};
    }
    return folder;
}

} // namespace

bool Win32Tasks::register_task_xml(std::string_view name, std::string_view xml) {
    const ComScope com;
    const UniqueBstr task_name = bstr(name);
    const UniqueBstr definition = bstr(xml);
    if (!com.usable() || !task_name || !definition || name.empty()) {
        return false;
    }
    const UniqueCom<ITaskFolder> folder = root_folder();
    if (!folder) {
        return false;
    }
    VARIANT none;
    VariantInit(&none);
    UniqueCom<IRegisteredTask> registered;
    return SUCCEEDED(folder.get()->RegisterTask(task_name.get(), definition.get(), TASK_CREATE_OR_UPDATE,
                                                none, none, TASK_LOGON_INTERACTIVE_TOKEN, none,
                                                registered.put()));
}

bool Win32Tasks::delete_task(std::string_view name) {
    const ComScope com;
    const UniqueBstr task_name = bstr(name);
    if (!com.usable() || !task_name || name.empty()) {
        return false;
    }
    const UniqueCom<ITaskFolder> folder = root_folder();
    return folder && SUCCEEDED(folder.get()->DeleteTask(task_name.get(), 0));
}

bool Win32Tasks::task_exists(std::string_view name) {
    const ComScope com;
    const UniqueBstr task_name = bstr(name);
    if (!com.usable() || !task_name || name.empty()) {
        return false;
    }
    const UniqueCom<ITaskFolder> folder = root_folder();
    UniqueCom<IRegisteredTask> task;
    return folder && SUCCEEDED(folder.get()->GetTask(task_name.get(), task.put()));
}

} // namespace tavrine
