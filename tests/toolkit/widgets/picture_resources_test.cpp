// The committed pictures load with Qt and carry the headers Windows' LoadImage needs.
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>

namespace {

const QString kImages = QStringLiteral(MIRELKO_RES_DIR "/images/");

QByteArray readFile(const QString& name) {
    QFile file(kImages + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 readLittleEndian(const QByteArray& data, int offset, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<quint8>(data.at(offset + i));
    }
    return value;
}

int rowStride(int width, int bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

// BITMAPINFOHEADER of a 4-bit BI_RGB bitmap, bottom-up, at the given offset.
void expectFourBitInfoHeader(const QByteArray& data, int offset, int width, int height) {
    EXPECT_EQ(readLittleEndian(data, offset, 4), 40u);                              // biSize
    EXPECT_EQ(readLittleEndian(data, offset + 4, 4), static_cast<quint32>(width));  // biWidth
    EXPECT_EQ(readLittleEndian(data, offset + 8, 4), static_cast<quint32>(height));
    EXPECT_EQ(readLittleEndian(data, offset + 12, 2), 1u);  // biPlanes
    EXPECT_EQ(readLittleEndian(data, offset + 14, 2), 4u);  // biBitCount
    EXPECT_EQ(readLittleEndian(data, offset + 16, 4), 0u);  // BI_RGB
}

struct PixelColour {
    QPoint at;
    QColor colour;
};

void expectPixels(const QImage& image, std::initializer_list<PixelColour> pixels) {
    for (const PixelColour& p : pixels) {
        EXPECT_EQ(image.pixelColor(p.at), p.colour) << "at " << p.at.x() << "," << p.at.y() << ": "
                                                    << image.pixelColor(p.at).name().toStdString();
    }
}

const QColor kBlack(0, 0, 0), kNavy(0, 0, 0x80), kSilver(0xC0, 0xC0, 0xC0), kBlue(0, 0, 0xFF),
    kLime(0, 0xFF, 0), kRed(0xFF, 0, 0), kMaroon(0x80, 0, 0), kWhite(0xFF, 0xFF, 0xFF);

struct BitmapCase {
    const char* file;
    QSize size;
    std::initializer_list<PixelColour> pixels;
};

TEST(PictureResources, BitmapsAreSixteenColourWindowsBitmaps) {
    const BitmapCase cases[] = {
        {"lamp_green_134.bmp", {17, 16}, {{{8, 8}, kLime}, {{1, 1}, kSilver}, {{0, 0}, kWhite}}},
        {"lamp_red_132.bmp", {17, 16}, {{{8, 8}, kMaroon}, {{1, 1}, kSilver}, {{0, 0}, kWhite}}},
        {"logo_129.bmp",
         {125, 66},
         {{{18, 12}, kBlue},
          {{47, 49}, kLime},
          {{77, 49}, kMaroon},
          {{0, 0}, kNavy},
          {{5, 5}, kWhite}}},
    };
    for (const BitmapCase& c : cases) {
        SCOPED_TRACE(c.file);
        const QByteArray data = readFile(QString::fromLatin1(c.file));
        ASSERT_FALSE(data.isEmpty());

        const int pixelOffset = 14 + 40 + 16 * 4;
        ASSERT_EQ(data.size(), pixelOffset + rowStride(c.size.width(), 4) * c.size.height());
        EXPECT_EQ(data.left(2), QByteArray("BM"));
        EXPECT_EQ(readLittleEndian(data, 2, 4), static_cast<quint32>(data.size()));
        EXPECT_EQ(readLittleEndian(data, 10, 4), static_cast<quint32>(pixelOffset));
        expectFourBitInfoHeader(data, 14, c.size.width(), c.size.height());

        const QImage image = QImage::fromData(data, "BMP");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), c.size);
        EXPECT_EQ(image.format(), QImage::Format_Indexed8);
        EXPECT_EQ(image.colorCount(), 16);
        expectPixels(image, c.pixels);
    }
}

TEST(PictureResources, IconHoldsFortyEightThirtyTwoAndSixteenPixelSixteenColourImages) {
    const QByteArray data = readFile(QStringLiteral("app_icon_128.ico"));
    ASSERT_GT(data.size(), 6 + 3 * 16);
    EXPECT_EQ(readLittleEndian(data, 0, 2), 0u);  // reserved
    EXPECT_EQ(readLittleEndian(data, 2, 2), 1u);  // an icon, not a cursor
    ASSERT_EQ(readLittleEndian(data, 4, 2), 3u);

    const int sizes[] = {48, 32, 16};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(sizes[i]);
        const int entry = 6 + 16 * i;
        const int side = sizes[i];
        EXPECT_EQ(readLittleEndian(data, entry, 1), static_cast<quint32>(side));
        EXPECT_EQ(readLittleEndian(data, entry + 1, 1), static_cast<quint32>(side));
        EXPECT_EQ(readLittleEndian(data, entry + 2, 1), 16u);  // colours
        EXPECT_EQ(readLittleEndian(data, entry + 6, 2), 4u);   // bits per pixel
        const int bytes = static_cast<int>(readLittleEndian(data, entry + 8, 4));
        const int offset = static_cast<int>(readLittleEndian(data, entry + 12, 4));
        // Header, colour table, colour rows and the 1-bit AND mask, each row padded to 4 bytes.
        EXPECT_EQ(bytes, 40 + 64 + (rowStride(side, 4) + rowStride(side, 1)) * side);
        ASSERT_LE(offset + bytes, data.size());
        expectFourBitInfoHeader(data, offset, side, 2 * side);
    }

    QImageReader reader(kImages + QStringLiteral("app_icon_128.ico"), "ico");
    ASSERT_EQ(reader.imageCount(), 3);
    ASSERT_EQ(reader.read().size(), QSize(48, 48));  // for larger screens
    ASSERT_TRUE(reader.jumpToNextImage());
    const QImage big = reader.read();
    ASSERT_TRUE(reader.jumpToNextImage());
    const QImage small = reader.read();
    ASSERT_EQ(big.size(), QSize(32, 32));
    ASSERT_EQ(small.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(big.pixel(16, 16)), 255);  // the mask leaves every pixel opaque
    // A stroke of the I, the black ground, the strip and its two dots.
    expectPixels(big, {{{8, 10}, kBlue},
                       {{0, 0}, kBlack},
                       {{0, 31}, kSilver},
                       {{10, 27}, kLime},
                       {{22, 27}, kRed}});
    expectPixels(small, {{{2, 5}, kBlue},
                         {{0, 10}, kBlack},
                         {{0, 15}, kSilver},
                         {{4, 13}, kLime},
                         {{11, 13}, kRed}});

    const QList<QSize> iconSizes =
        QIcon(kImages + QStringLiteral("app_icon_128.ico")).availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));
    EXPECT_TRUE(iconSizes.contains(QSize(16, 16)));
}

}  // namespace
