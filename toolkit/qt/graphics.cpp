#include "toolkit/qt/graphics.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QWidget>
#include <map>
#include <memory>
#include <utility>

#include "toolkit/qt/window.h"
#include "toolkit/resources.h"
#include "toolkit/win_api.h"

namespace toolkit::qt {
namespace {

constexpr int kIconSize = 32;
constexpr int kSmallIconSize = 16;

struct IconData {
    QPixmap big;
    QPixmap small;
};

// Icons loaded from resources are shared and live as long as the process, as on Windows.
std::map<std::pair<const ResourceModule*, UINT>, std::unique_ptr<IconData>>& LoadedIcons() {
    static auto* icons =
        new std::map<std::pair<const ResourceModule*, UINT>, std::unique_ptr<IconData>>;
    return *icons;
}

QByteArray BytesOf(const ImageResource& image) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(image.bytes.data()),
                                   static_cast<qsizetype>(image.bytes.size()));
}

// Every image in an .ico file, by its width.
std::map<int, QImage> DecodeIconFile(const QByteArray& bytes) {
    std::map<int, QImage> images;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i) && i > 0) break;
        QImage image = reader.read();
        if (!image.isNull()) images.emplace(image.width(), image);
    }
    return images;
}

QPixmap FormOfSize(const std::map<int, QImage>& images, int size) {
    if (images.empty()) return QPixmap();
    auto exact = images.find(size);
    const QImage& image = exact != images.end() ? exact->second : images.rbegin()->second;
    return QPixmap::fromImage(
        image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

QWidget*& WidgetBeingPainted() {
    static QWidget* widget = nullptr;
    return widget;
}

struct DeviceContext {
    QImage scratch;  // where drawing goes outside a paint: nowhere visible, as on Windows
    std::unique_ptr<QPainter> painter;
};

}  // namespace

QPixmap LoadBitmapPixmap(UINT id) {
    const ResourceModule* module = ModuleFromHandle(AfxGetResourceHandle());
    const ImageResource* image =
        module == nullptr ? nullptr : FindImage(*module, id, ImageKind::Bitmap);
    if (image == nullptr) return QPixmap();
    return QPixmap::fromImage(QImage::fromData(BytesOf(*image), "BMP"));
}

QPixmap IconPixmap(HICON icon) {
    const auto* data = reinterpret_cast<const IconData*>(icon);
    return data == nullptr ? QPixmap() : data->big;
}

QIcon IconSet(HICON big, HICON small) {
    QIcon set;
    if (const auto* data = reinterpret_cast<const IconData*>(big)) set.addPixmap(data->big);
    if (const auto* data = reinterpret_cast<const IconData*>(small)) set.addPixmap(data->small);
    return set;
}

PaintScope::PaintScope(QWidget* widget) : previous_(WidgetBeingPainted()) {
    WidgetBeingPainted() = widget;
}

PaintScope::~PaintScope() { WidgetBeingPainted() = previous_; }

QPainter* PainterOf(HDC dc) {
    auto* context = reinterpret_cast<DeviceContext*>(dc);
    return context == nullptr ? nullptr : context->painter.get();
}

}  // namespace toolkit::qt

using namespace toolkit::qt;

HICON LoadIconA(HINSTANCE module, LPCSTR name) {
    const toolkit::ResourceModule* resources = toolkit::ModuleFromHandle(module);
    if (resources == nullptr || !IS_INTRESOURCE(name)) return nullptr;
    const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    auto& icons = LoadedIcons();
    auto key = std::make_pair(resources, id);
    auto found = icons.find(key);
    if (found == icons.end()) {
        const toolkit::ImageResource* image =
            toolkit::FindImage(*resources, id, toolkit::ImageKind::Icon);
        if (image == nullptr) return nullptr;
        const std::map<int, QImage> forms = DecodeIconFile(BytesOf(*image));
        if (forms.empty()) return nullptr;
        auto data = std::make_unique<IconData>(
            IconData{FormOfSize(forms, kIconSize), FormOfSize(forms, kSmallIconSize)});
        found = icons.emplace(key, std::move(data)).first;
    }
    return reinterpret_cast<HICON>(found->second.get());
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXICON:
        case SM_CYICON:
            return kIconSize;
        default:
            return 0;
    }
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    auto context = std::make_unique<DeviceContext>();
    Window* target = WindowFromHandle(window);
    QWidget* widget = target == nullptr ? nullptr : target->widget();
    if (widget != nullptr && widget == WidgetBeingPainted()) {
        context->painter = std::make_unique<QPainter>(widget);
    } else {
        context->scratch = QImage(1, 1, QImage::Format_ARGB32);
        context->painter = std::make_unique<QPainter>(&context->scratch);
    }
    HDC dc = reinterpret_cast<HDC>(context.release());
    if (paint != nullptr) {
        *paint = PAINTSTRUCT{dc, TRUE, RECT{0, 0, 0, 0}};
        GetClientRect(window, &paint->rcPaint);
    }
    return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (paint == nullptr) return FALSE;
    delete reinterpret_cast<DeviceContext*>(paint->hdc);
    return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    QPainter* painter = PainterOf(dc);
    const QPixmap picture = IconPixmap(icon);
    if (painter == nullptr || picture.isNull()) return FALSE;
    painter->drawPixmap(x, y, picture);
    return TRUE;
}
