#pragma once

#include "platform/processes.h"

namespace tavrine {

class Win32Processes final : public Processes {};

} // namespace tavrine
