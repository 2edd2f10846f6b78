// Object images as PNG, their import into a menu, and palette export.

#include "core/errors.h"
#include "fixtures.h"
#include "ig/edit.h"
#include "ig/export.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "ig/png.h"
#include "ig/rle.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>

using namespace navora;
using namespace navora::test;

namespace {

// A PNG written by the image library's own simple interface.
Bytes simplePng(png_uint_32 format, png_uint_32 w, png_uint_32 h, const std::vector<std::uint8_t>& pixels,
                const std::vector<std::uint8_t>& colourMap = {}, int entries = 0) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.format = format;
    image.width = w;
    image.height = h;
    image.colormap_entries = static_cast<png_uint_32>(entries);
    png_alloc_size_t size = 0;
    const void* map = colourMap.empty() ? nullptr : colourMap.data();
    EXPECT_TRUE(png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, map));
    Bytes out(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, map));
    out.resize(size);
    return out;
}

// An interlaced 8-bit palette PNG, written with the library's full interface.
struct InterlacedOut {
    Bytes bytes;
};
void appendBytes(png_structp png, png_bytep data, std::size_t n) {
    auto* out = static_cast<InterlacedOut*>(png_get_io_ptr(png));
    out->bytes.insert(out->bytes.end(), data, data + n);
}
bool writeInterlaced(InterlacedOut* out, const IndexedImage* img, png_color* plte) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, appendBytes, nullptr);
    png_set_IHDR(png, info, img->width, img->height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_ADAM7,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, plte, 16);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (std::size_t y = 0; y < img->height; ++y) png_write_row(png, img->pixels.data() + y * img->width);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool contains(const Bytes& hay, const std::string& needle) {
    return std::search(hay.begin(), hay.end(), needle.begin(), needle.end()) != hay.end();
}

TEST(ObjectPng, ExportAndImportKeepIndicesAndColours) {
    TIGSc m = smallMenu();
    setPaletteEntryRgb(m.palettes[0], 200, {9, 8, 7, 96});
    const Bytes png = objectImagePng(m, 2, 0, "Navora v0.30b");
    EXPECT_TRUE(contains(png, std::string("tEXtSoftware") + '\0' + "Navora v0.30b"));

    const IndexedPng back = readIndexedPng(png, "o.png");
    EXPECT_EQ(back.image, *m.objects[2].picture);
    ASSERT_EQ(back.palette.size(), 256u);
    ASSERT_EQ(back.transparency.size(), 256u);
    for (std::size_t e = 0; e < 256; ++e) {
        const TRGBA c = m.palettes[0].colours[e];
        EXPECT_EQ(back.palette[e], (std::array<std::uint8_t, 3>{c.R, c.G, c.B})) << e;
        EXPECT_EQ(back.transparency[e], c.T) << e;
    }
    // An interlaced image reads to the same pixels.
    IndexedImage img(13, 9);
    for (std::size_t i = 0; i < img.pixels.size(); ++i) img.pixels[i] = static_cast<std::uint8_t>(i * 7 % 16);
    png_color plte[16] = {};
    InterlacedOut interlaced;
    ASSERT_TRUE(writeInterlaced(&interlaced, &img, plte));
    EXPECT_EQ(readIndexedPng(interlaced.bytes, "interlaced.png").image, img);

    EXPECT_EQ(objectImageName(5, 1), "IGobject_0005_pal_01");
    EXPECT_EQ(objectImageName(0x1A2, 0x1F), "IGobject_01A2_pal_1F");
}

TEST(ObjectPng, RefusesOtherKindsAndBrokenFiles) {
    const std::vector<std::uint8_t> rgba(4 * 4 * 2, 0x80);
    const std::vector<std::uint8_t> grey(4 * 2, 0x01);
    const std::vector<std::uint8_t> map16(16 * 3, 0x40);
    const Bytes palette8 = simplePng(PNG_FORMAT_RGB_COLORMAP, 4, 2, grey, std::vector<std::uint8_t>(256 * 3, 1), 256);
    Bytes cut = palette8;
    cut.resize(cut.size() - 20);
    Bytes badCrc = palette8;
    const std::string plte = "PLTE";
    badCrc[static_cast<std::size_t>(std::search(badCrc.begin(), badCrc.end(), plte.begin(), plte.end()) - badCrc.begin()) + 6] ^= 0xFF;

    // A text chunk that claims 2 GB before the image data: skipped unread, so
    // the file is refused for its missing data, not taken into memory.
    Bytes hugeText(palette8.begin(), palette8.begin() + 33);
    const Bytes chunkStart = {0x78, 0x00, 0x00, 0x00, 't', 'E', 'X', 't', 'S', 'o'};
    hugeText.insert(hugeText.end(), chunkStart.begin(), chunkStart.end());

    ASSERT_NO_THROW(readIndexedPng(palette8, "ok.png"));
    for (const auto& [name, data] : std::vector<std::pair<const char*, Bytes>>{
             {"RGBA", simplePng(PNG_FORMAT_RGBA, 4, 2, rgba)},
             {"grey", simplePng(PNG_FORMAT_GRAY, 4, 2, grey)},
             {"4-bit palette", simplePng(PNG_FORMAT_RGB_COLORMAP, 4, 2, grey, map16, 16)},
             {"wider than any menu", simplePng(PNG_FORMAT_RGB_COLORMAP, 5000, 1, std::vector<std::uint8_t>(5000, 1),
                                               std::vector<std::uint8_t>(256 * 3, 1), 256)},
         })
        EXPECT_THROW(readIndexedPng(data, name), UnsupportedImageError) << name;
    for (const auto& [name, data] : std::vector<std::pair<const char*, Bytes>>{
             {"no PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}},
             {"cut", cut},
             {"bad CRC", badCrc},
             {"a 2 GB text chunk", hugeText}})
        EXPECT_THROW(readIndexedPng(data, name), FormatError) << name;
    EXPECT_STREQ(UnsupportedImageError().what(), "Not supported file format!");
}

IndexedPng pngOf(std::uint16_t w, std::uint16_t h, std::size_t colours, std::size_t alphas) {
    IndexedPng p;
    p.image = IndexedImage(w, h);
    for (std::size_t i = 0; i < p.image.pixels.size(); ++i) p.image.pixels[i] = static_cast<std::uint8_t>(i % colours);
    for (std::size_t e = 0; e < colours; ++e)
        p.palette.push_back({static_cast<std::uint8_t>(e), static_cast<std::uint8_t>(255 - e), 100});
    for (std::size_t e = 0; e < alphas; ++e) p.transparency.push_back(static_cast<std::uint8_t>(e * 3));
    return p;
}

TEST(ImportObjectImage, NewOrReplacedObjectAndPalette) {
    struct Case {
        std::optional<std::size_t> object, palette;
    } cases[] = {{std::nullopt, std::nullopt}, {2, std::nullopt}, {std::nullopt, 0}, {4, 0}};
    const IndexedPng png = pngOf(30, 12, 20, 8);
    for (const Case& c : cases) {
        TIGSc m = smallMenu();
        m.palettes[0].colours[255].T = 77;
        m.palettes[0].colours[100] = {1, 1, 1, 1};
        const std::size_t objects = m.objects.size();
        const ImportedImage at = importObjectImage(m, png, c.object, c.palette);
        EXPECT_EQ(at.object, c.object.value_or(objects));
        EXPECT_EQ(at.palette, c.palette.value_or(1));
        EXPECT_EQ(m.objects.size(), objects + (c.object ? 0 : 1));
        const TIGobject& o = m.objects[at.object];
        EXPECT_EQ(o.object_id, at.object);
        EXPECT_EQ(o.width, 30);
        EXPECT_EQ(o.height, 12);
        EXPECT_EQ(*o.picture, png.image);
        EXPECT_EQ(o.object_data_length, rleEncode(png.image).size());
        EXPECT_TRUE(o.fragments.empty());

        const TIGpalette& p = m.palettes[at.palette];
        EXPECT_EQ(p.palette_id, at.palette);
        EXPECT_EQ(p.colours[3], (TRGBA{3, 252, 100, 9}));   // T from tRNS
        EXPECT_EQ(p.colours[12], (TRGBA{12, 243, 100, 255}));  // no tRNS value: opaque
        EXPECT_EQ(p.entries[12], rgb2ycrcb(12, 243, 100, m.colour_matrix));  // the HD menu's BT.709
        EXPECT_TRUE(p.colours[100].zero()) << "not in the PNG palette";
        EXPECT_EQ(p.entries[100], TYCrCb{});
        EXPECT_EQ(p.colours[255], (TRGBA{0, 0, 0, static_cast<std::uint8_t>(c.palette ? 77 : 0)}));
    }
}

TEST(ImportObjectImage, ExportedImageComesBackExactlyUnderEitherMatrix) {
    // pages3: three palettes of 255 anti-aliased entries, many of them
    // outside what RGB reaches exactly. Export an object with its page's
    // palette, import it back (into that palette, or as a new one): every
    // entry keeps its Y, Cr, Cb and its colour.
    NAVORA_NEED_CORPUS("igs");
    const TIGSc loaded = loadMNUFile(corpusDir() / "igs" / "libblu_pages3" / "libblu_pages3.mnu");
    EXPECT_EQ(loaded.colour_matrix, ColourMatrix::BT709);  // an HD menu
    for (const ColourMatrix matrix : {ColourMatrix::BT601, ColourMatrix::BT709})
        for (const bool replace : {true, false}) {
            SCOPED_TRACE(std::string(matrixName(matrix)) + (replace ? " replace" : " new palette"));
            TIGSc m = loaded;
            setColourMatrix(m, matrix);
            const std::size_t o = 3;
            const std::size_t p = paletteForObject(m, o).value_or(0);
            const TIGpalette original = m.palettes[p];
            const IndexedPng png = readIndexedPng(objectImagePng(m, o, p, "Navora"), "o.png");
            const ImportedImage at = importObjectImage(m, png, o, replace ? std::optional<std::size_t>(p) : std::nullopt);
            const TIGpalette& back = m.palettes[at.palette];
            for (std::size_t e = 0; e < 255; ++e) {
                EXPECT_EQ(back.entries[e], original.entries[e]) << e;
                EXPECT_EQ(back.colours[e], original.colours[e]) << e;
            }
        }
    // An edited image with a palette of its own, into an object that a
    // page shows with its page palette: the page is named, as it shows other colours.
    {
        TIGSc e = loaded;
        const std::size_t o = 3;
        const std::size_t p = paletteForObject(e, o).value_or(0);
        IndexedPng edited = readIndexedPng(objectImagePng(e, o, p, "Navora"), "o.png");
        EXPECT_TRUE(shownWithOtherColours(e, o, p).empty());
        edited.palette[edited.image.pixels[edited.image.pixels.size() / 2]] = {1, 2, 3};  // a colour repainted
        const ImportedImage own = importObjectImage(e, edited, o, std::nullopt);
        EXPECT_EQ(shownWithOtherColours(e, o, own.palette), (std::vector<std::pair<std::size_t, std::size_t>>{{0, p}}));
        EXPECT_TRUE(shownWithOtherColours(e, o, p).empty());
    }
    // A colour the menu does not show is converted with the menu's matrix.
    TIGSc m = loaded;
    IndexedPng png;
    png.image = IndexedImage(2, 2);
    png.palette = {{0, 0, 0}, {255, 0, 0}};
    const ImportedImage at = importObjectImage(m, png, std::nullopt, std::nullopt);
    EXPECT_EQ(m.palettes[at.palette].entries[1], rgb2ycrcb(255, 0, 0, ColourMatrix::BT709));
}

TEST(ImportObjectImage, RefusalsLeaveTheMenuAsItWas) {
    TIGSc m = smallMenu();
    m.video_width = 720;
    m.video_height = 480;
    const TIGSc before = m;
    EXPECT_THROW(importObjectImage(m, pngOf(721, 2, 2, 0), std::nullopt, std::nullopt), UnsupportedImageError);
    EXPECT_THROW(importObjectImage(m, pngOf(2, 481, 2, 0), 0, 0), UnsupportedImageError);
    EXPECT_THROW(importObjectImage(m, pngOf(2, 2, 2, 0), 6, std::nullopt), std::out_of_range);
    EXPECT_THROW(importObjectImage(m, pngOf(2, 2, 2, 0), std::nullopt, 1), std::out_of_range);
    EXPECT_EQ(m.objects.size(), before.objects.size());
    EXPECT_EQ(m.palettes, before.palettes);
    EXPECT_EQ(m.objects[0].picture, before.objects[0].picture);

    // A PNG of 256 colours loses colour 255.
    const ImportedImage at = importObjectImage(m, pngOf(16, 16, 256, 256), std::nullopt, std::nullopt);
    EXPECT_EQ(m.palettes[at.palette].colours[254], (TRGBA{254, 1, 100, 254 * 3 % 256}));
    EXPECT_EQ(m.palettes[at.palette].colours[255], TRGBA{});
}

TEST(PaletteExport, PxmlAndAct) {
    TIGpalette p;
    setPaletteEntryYCrCb(p, 1, {235, 128, 128}, 200);
    const std::string pxml = paletteToPxml(p);
    EXPECT_TRUE(pxml.starts_with(
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n<PaletteDefinition UseForm=\"YCrCb\">\r\n"));
    std::size_t blocks = 0;
    for (std::size_t at = pxml.find("<PaletteData "); at != std::string::npos; at = pxml.find("<PaletteData ", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 256u);
    EXPECT_NE(pxml.find("\r\n\r\n  <PaletteData PaletteEntryId=\"1\" UseForm=\"YCrCb\">\r\n    <R>255</R>\r\n    "
                        "<G>255</G>\r\n    <B>255</B>\r\n    <T>200</T>\r\n    <Y>235</Y>\r\n    <Cr>128</Cr>\r\n    "
                        "<Cb>128</Cb>\r\n  </PaletteData>\r\n"),
              std::string::npos);
    EXPECT_TRUE(pxml.ends_with("  </PaletteData>\r\n\r\n</PaletteDefinition>\r\n"));
    EXPECT_EQ(std::count(pxml.begin(), pxml.end(), '\n'), std::count(pxml.begin(), pxml.end(), '\r'));

    const Bytes act = paletteFile(p, ".act");
    ASSERT_EQ(act.size(), 768u);
    EXPECT_EQ(Bytes(act.begin(), act.begin() + 6), (Bytes{0, 0, 0, 255, 255, 255}));
    EXPECT_EQ(paletteFile(p, ".pxml"), Bytes(pxml.begin(), pxml.end()));
    EXPECT_TRUE(paletteFile(p, ".PXML").empty());
    EXPECT_EQ(paletteFileName(7), "palette_007");
}

}  // namespace
