// Toolbars of a frame, filled from a toolbar resource and the bitmap of the same id.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "win/unique_handle.h"

namespace win {

namespace detail {
inline void DestroyImageListHandle(HIMAGELIST list) {
    ImageList_Destroy(list);
}
}  // namespace detail
using UniqueHimagelist = UniqueAny<detail::NullTraits<HIMAGELIST, detail::DestroyImageListHandle>>;

// Gives toolBar the buttons of toolbar resource id, in order, each with its image from the
// bitmap resource of the same id; pixels of maskColor are transparent. The toolbar does not
// own image lists: images receives the list, to be kept as long as the toolbar lives. False,
// with no button added and images unchanged, when either resource is missing or malformed or
// the bitmap is too narrow for the buttons.
bool LoadToolBar(HWND toolBar, HINSTANCE instance, int id, COLORREF maskColor,
                 UniqueHimagelist& images);

}  // namespace win
