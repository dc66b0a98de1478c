#include "win/tool_bar.h"

#include <vector>

#include "win/toolbar_resource.h"

namespace win {
namespace {

std::optional<ToolBarResource> FindToolBarResource(HINSTANCE instance, int id) {
    const HRSRC found =
        FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(kToolBarResourceType));
    if (found == nullptr) return std::nullopt;
    const HGLOBAL loaded = LoadResource(instance, found);
    const auto* data = static_cast<const unsigned char*>(loaded ? LockResource(loaded) : nullptr);
    if (data == nullptr) return std::nullopt;
    return ParseToolBarResource(std::span(data, SizeofResource(instance, found)));
}

}  // namespace

bool LoadToolBar(HWND toolBar, HINSTANCE instance, int id, COLORREF maskColor,
                 UniqueHimagelist& images) {
    const std::optional<ToolBarResource> resource = FindToolBarResource(instance, id);
    if (!resource) return false;
    const std::size_t imageCount = ToolBarImageCount(*resource);
    UniqueHbitmap bitmap(
        static_cast<HBITMAP>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof info, &info) ||
        info.bmWidth < static_cast<LONG>(imageCount) * resource->imageWidth ||
        info.bmHeight < resource->imageHeight)
        return false;
    UniqueHimagelist list(ImageList_Create(resource->imageWidth, resource->imageHeight,
                                           ILC_COLOR24 | ILC_MASK, static_cast<int>(imageCount),
                                           0));
    if (!list || ImageList_AddMasked(list.get(), bitmap.get(), maskColor) < 0 ||
        ImageList_GetImageCount(list.get()) < static_cast<int>(imageCount))
        return false;

    std::vector<TBBUTTON> buttons(resource->ids.size());
    int image = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        TBBUTTON& button = buttons[i];
        button.idCommand = static_cast<int>(resource->ids[i]);
        if (button.idCommand == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
    }
    SendMessageA(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolBar, TB_SETBITMAPSIZE, 0,
                 MAKELPARAM(resource->imageWidth, resource->imageHeight));
    SendMessageA(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list.get()));
    if (!SendMessageA(toolBar, TB_ADDBUTTONSA, buttons.size(),
                      reinterpret_cast<LPARAM>(buttons.data()))) {
        SendMessageA(toolBar, TB_SETIMAGELIST, 0, 0);
        return false;
    }
    images = std::move(list);
    return true;
}

}  // namespace win
