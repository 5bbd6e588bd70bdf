// Resources as data: dialog templates, strings and pictures, one source for every backend. A
// program hands its tables to the framework; LoadIconA, LoadStringA and CDialog look them up there.
#pragma once

#include <cstddef>
#include <span>

#include "toolkit/win_defs.h"

namespace toolkit {

// The window class of a control, as a dialog template names it; the style picks the variant
// (push button, default push button, check box or group box of the "Button" class, and so on).
enum class ControlClass { Button, Edit, Static, ComboBox, IpAddress };

struct ControlTemplate {
    int id;  // IDC_STATIC for controls the program never addresses
    ControlClass controlClass;
    LPCSTR text;                         // Windows-1252
    short x, y, cx, cy;                  // dialog units; a static bitmap takes its picture's size
    DWORD style;                         // WS_CHILD and WS_VISIBLE are implied
    UINT imageId = 0;                    // the picture of a static bitmap
    std::span<const LPCSTR> items = {};  // initial items of a drop-down list
};

struct DialogTemplate {
    UINT id;
    LPCSTR caption;
    short cx, cy;  // client area, dialog units
    LPCSTR fontFace;
    WORD fontPoints;
    DWORD style;
    DWORD exStyle;
    std::span<const ControlTemplate> controls;  // in template order: the tab order
};

struct StringResource {
    UINT id;
    LPCSTR text;
};

enum class ImageKind { Icon, Bitmap };

// A bitmap drawn again for larger screens, as dialogs grow with their font there: the drawing
// for `percent` percent is the resource of the bitmap's id plus `idOffset` (the Windows program's
// resource script numbers them so).
struct PictureScale {
    int percent;
    UINT idOffset;
};
inline constexpr PictureScale kPictureScales[] = {{125, 1000}, {150, 2000}, {200, 3000}};

// A picture file's bytes (.ico or .bmp).
struct ImageResource {
    UINT id;
    ImageKind kind;
    std::span<const unsigned char> bytes;
};

struct ResourceModule {
    std::span<const DialogTemplate> dialogs;
    std::span<const StringResource> strings;
    std::span<const ImageResource> images;
};

// The program's tables; set once at start-up, before any window exists.
void SetResourceModule(const ResourceModule* module);
const ResourceModule* CurrentResourceModule();
// The tables behind a module handle such as AfxGetResourceHandle(); what a handle is, is the
// backend's affair.
const ResourceModule* ModuleFromHandle(HINSTANCE handle);

const DialogTemplate* FindDialogTemplate(const ResourceModule& module, UINT id);
const StringResource* FindString(const ResourceModule& module, UINT id);
const ImageResource* FindImage(const ResourceModule& module, UINT id, ImageKind kind);

}  // namespace toolkit

HINSTANCE AfxGetResourceHandle();
