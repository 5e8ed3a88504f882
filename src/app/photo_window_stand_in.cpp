#include "app/photo_window_stand_in.h"

namespace vantora {

INT_PTR runPhotoWindowStandIn(HWND, LogList&, const std::filesystem::path&, UtcOffset)
{
    return 1;
}

}  // namespace vantora
