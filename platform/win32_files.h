#pragma once

#include "platform/files.h"

namespace tavrine {

class Win32Files final : public Files {};

} // namespace tavrine
