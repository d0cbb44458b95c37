// The pixel budgets of pictures: a loaded bitmap keeps and saves its own file,
// decoded pixels beyond the process's budget are dropped (oldest first) and
// decoded again when asked, and a document load refuses pictures past its
// allowance.
#include "platform/graphics/pixelbudget.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/colors.h"
#include "platform/core/streams.h"
#include "platform/graphics/bitmap.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/imagelist.h"
#include "platform/graphics/png.h"
#include "tests/support/picturebudget.h"

// Bytes in blocks of at least 1 MiB live now, and the most there were since
// the last reset: the decoded pixels of the tests' large pictures.
namespace {
constexpr size_t LargeBlock = size_t(1) << 20;
size_t LargeLive = 0, LargePeak = 0;
} // namespace

void* operator new(size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    if (size >= LargeBlock) {
        LargeLive += malloc_usable_size(p);
        LargePeak = std::max(LargePeak, LargeLive);
    }
    return p;
}

namespace {
void Release(void* p) noexcept
{
    if (p && malloc_usable_size(p) >= LargeBlock)
        LargeLive -= malloc_usable_size(p);
    std::free(p);
}
} // namespace

void operator delete(void* p) noexcept
{
    Release(p);
}

void operator delete(void* p, size_t) noexcept
{
    Release(p);
}

namespace {

std::string Saved(const TGraphic& graphic)
{
    TStringStream stream;
    graphic.SaveToStream(stream);
    return stream.DataString();
}

template <class TPic> void Load(TPic& picture, const std::string& bytes)
{
    TStringStream stream(bytes);
    picture.LoadFromStream(stream);
}

// Where a picture keeps its decoded pixels (decoding them now): the place
// stays, its pixels go when the budget releases them.
template <class TPic> const TPixelBuffer* Storage(const TPic& picture)
{
    const TPinnedPixels pixels = picture.Pixels();
    return &*pixels;
}

// Whether a handle of the kind given gives its buffer by *, Buffer() or ->:
// a named one does, a temporary gives none of them (a.Pixels()->Pixels does
// not compile), so that no reference or pointer to the pixels can be taken
// past the handle's life. Either reads a pixel's value on the spot.
template <class T, class = void> struct TGivesBuffer : std::false_type {};
template <class T> struct TGivesBuffer<T, std::void_t<decltype(*std::declval<T>())>> : std::true_type {};
template <class T, class = void> struct TGivesBufferByName : std::false_type {};
template <class T>
struct TGivesBufferByName<T, std::void_t<decltype(std::declval<T>().Buffer())>> : std::true_type {};
template <class T, class = void> struct TGivesBufferPointer : std::false_type {};
template <class T>
struct TGivesBufferPointer<T, std::void_t<decltype(std::declval<T>().operator->())>> : std::true_type {};
template <class T, class = void> struct TReadsAPixel : std::false_type {};
template <class T>
struct TReadsAPixel<T, std::void_t<decltype(std::declval<T>().At(0, 0) + std::declval<T>().Width())>>
    : std::true_type {};
static_assert(TGivesBuffer<const TPinnedPixels&>::value && TGivesBufferByName<const TPinnedPixels&>::value &&
              TGivesBufferPointer<const TPinnedPixels&>::value);
static_assert(!TGivesBuffer<TPinnedPixels>::value && !TGivesBufferByName<TPinnedPixels>::value &&
              !TGivesBufferPointer<TPinnedPixels>::value);
static_assert(TReadsAPixel<TPinnedPixels>::value && TReadsAPixel<const TPinnedPixels&>::value);
static_assert(!std::is_convertible_v<TPinnedPixels, const TPixelBuffer&>);
static_assert(!std::is_copy_constructible_v<TPinnedPixels> && !std::is_copy_assignable_v<TPinnedPixels>);
static_assert(std::is_nothrow_move_constructible_v<TPinnedPixels>);

TEST(PixelBudget, ALoadedBitmapSavesItsOwnFileUntilItChanges)
{
    const std::string file = RleBmp(600, 0x336699);
    TBitmap bitmap;
    Load(bitmap, file);
    EXPECT_EQ(bitmap.Width(), 600);
    EXPECT_EQ(bitmap.Pixels().At(599, 599), 0xFF336699u);
    // The run-length file as it was read, not 1 MB of 24-bit rows.
    EXPECT_EQ(Saved(bitmap), file);
    EXPECT_EQ(bitmap.BytesPerScanLine(), 600);
    TBitmap copy;
    copy.Assign(&bitmap);
    EXPECT_EQ(Saved(copy), file);

    // Drawing on it changes the pixels: they are what is saved now.
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(clRed);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(Rect(0, 0, 1, 1));
    const std::string drawn = Saved(bitmap);
    EXPECT_EQ(drawn.size(), 14u + 40u + 600u * 1800u);
    TBitmap back;
    Load(back, drawn);
    EXPECT_EQ(back.Pixels().At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(back.Pixels().At(1, 0), 0xFF336699u);
    // A new format is saved as that format.
    copy.SetPixelFormat(pf32bit);
    EXPECT_EQ(Saved(copy).size(), 14u + 40u + 600u * 2400u);
}

// A load reads the file and no more: the pixels are decoded when first asked
// for, by the bitmap and by each copy of it, and a new load lets them go.
TEST(PixelBudget, ALoadedBitmapDecodesWhenItsPixelsAreFirstAskedFor)
{
    const int side = 300;
    const TSmallPixelBudgets budgets(int64_t(1) << 40, int64_t(1) << 40);
    const int64_t before = pixelbudget::HeldPixels();
    TBitmap bitmap;
    Load(bitmap, RleBmp(side, 0x123456));
    EXPECT_EQ(bitmap.Width(), side);
    EXPECT_EQ(bitmap.Height(), side);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    TBitmap copy;
    copy.Assign(&bitmap);
    EXPECT_EQ(pixelbudget::HeldPixels(), before);

    EXPECT_EQ(bitmap.Pixels().At(side - 1, side - 1), 0xFF123456u);
    EXPECT_EQ(pixelbudget::HeldPixels(), before + side * side);
    EXPECT_EQ(copy.TransparentColor(), static_cast<TColor>(0x563412));
    EXPECT_EQ(pixelbudget::HeldPixels(), before + 2 * side * side);
    Load(bitmap, RleBmp(10, 0x654321));
    EXPECT_EQ(pixelbudget::HeldPixels(), before + side * side);
    EXPECT_EQ(bitmap.Pixels().At(9, 9), 0xFF654321u);
    EXPECT_EQ(Saved(copy), RleBmp(side, 0x123456));
}

// However many pictures are read, the pixels held decoded stay within the
// process's budget; a picture whose pixels were dropped decodes them again.
TEST(PixelBudget, DecodedPixelsStayWithinTheProcessBudget)
{
    const int side = 100;
    const TSmallPixelBudgets budgets(3 * side * side, int64_t(1) << 40);
    std::vector<std::unique_ptr<TBitmap>> bitmaps;
    for (uint32_t i = 0; i < 6; ++i) {
        bitmaps.push_back(std::make_unique<TBitmap>());
        Load(*bitmaps.back(), RleBmp(side, 0x101010u * (i + 1)));
        EXPECT_LE(pixelbudget::HeldPixels(), 3 * side * side) << i;
    }
    // A PNG decoded on first use joins the same budget.
    TBitmap source;
    source.SetPixels(TPixelBuffer(side, side, 0xFF00FF00u));
    TPNGImage made;
    made.Assign(&source);
    TPNGImage png;
    Load(png, Saved(made));
    EXPECT_EQ(png.Pixels().At(5, 5), 0xFF00FF00u);
    EXPECT_LE(pixelbudget::HeldPixels(), 3 * side * side);
    for (int round = 0; round < 2; ++round)
        for (uint32_t i = 0; i < 6; ++i) {
            const uint32_t grey = 0x101010u * (i + 1);
            EXPECT_EQ(bitmaps[i]->Pixels().At(side - 1, 0), 0xFF000000u | grey) << i;
            EXPECT_LE(pixelbudget::HeldPixels(), 3 * side * side);
        }
    EXPECT_EQ(png.Pixels().At(0, side - 1), 0xFF00FF00u);
    // Pictures that go leave the register.
    bitmaps.clear();
    EXPECT_EQ(pixelbudget::HeldPixels(), side * side);
}

// A picture makes room for its pixels before it decodes them: with room for
// one picture, decoding a second never holds both at once.
TEST(PixelBudget, APictureMakesRoomBeforeItDecodes)
{
    const int side = 1000;
    const TSmallPixelBudgets budgets(side * side + side, int64_t(1) << 40);
    const size_t onePicture = size_t(side) * side * 4;
    TBitmap first, second;
    Load(first, RleBmp(side, 0x112233));
    Load(second, RleBmp(side, 0x445566));
    EXPECT_EQ(first.Pixels().At(1, 1), 0xFF112233u);
    LargePeak = LargeLive;
    EXPECT_EQ(second.Pixels().At(1, 1), 0xFF445566u);
    EXPECT_LT(LargePeak, onePicture + onePicture / 2);
    // PNG and JPEG pictures decoded on first use make room alike.
    TBitmap source;
    source.SetPixels(TPixelBuffer(side, side, 0xFF00FF00u));
    TPNGImage made;
    made.Assign(&source);
    const std::string png = Saved(made);
    source.SetPixels(TPixelBuffer());
    TPNGImage loaded;
    Load(loaded, png);
    const size_t before = LargeLive;
    LargePeak = LargeLive;
    EXPECT_EQ(loaded.Pixels().At(5, 5), 0xFF00FF00u);
    EXPECT_LT(LargePeak, before + onePicture / 2);
    EXPECT_EQ(second.Pixels().At(2, 2), 0xFF445566u);
}

// Pixels used without a pin are released by the next picture decoded; pinned,
// they stay (pins nest) and the budget is exceeded by them alone, releasing
// the unpinned others; when the last pin goes, the budget gets back within its
// bound, and the picture is released again like any other.
TEST(PixelBudget, APinnedPictureKeepsItsPixelsWhileOthersDecode)
{
    const int side = 100;
    const int64_t one = side * side;
    const TSmallPixelBudgets budgets(one + side, int64_t(1) << 40); // room for one picture
    TBitmap source;
    source.SetPixels(TPixelBuffer(side, side, 0xFF00FF00u));
    TPNGImage made;
    made.Assign(&source);
    TPNGImage png;
    Load(png, Saved(made));
    TBitmap first, second;
    Load(first, RleBmp(side, 0x112233));
    Load(second, RleBmp(side, 0x445566));

    // The trap pins close: pixels kept past the next decoding are emptied.
    const TPixelBuffer* firstPixels = Storage(first);
    const TPixelBuffer* secondPixels = Storage(second);
    EXPECT_TRUE(firstPixels->Pixels.empty());
    const TPixelBuffer* pngPixels = Storage(png);
    EXPECT_TRUE(secondPixels->Pixels.empty());
    EXPECT_EQ(pixelbudget::HeldPixels(), one);

    {
        const TPinnedPixels pinned = png.Pixels();
        EXPECT_EQ(png.Pins(), 1);
        EXPECT_EQ(first.Pixels().At(1, 1), 0xFF112233u);
        EXPECT_EQ(pngPixels->Pixels.size(), size_t(one)) << "pinned: kept over the budget";
        EXPECT_EQ(pixelbudget::HeldPixels(), 2 * one);
        EXPECT_EQ(second.Pixels().At(1, 1), 0xFF445566u);
        EXPECT_TRUE(firstPixels->Pixels.empty()) << "the unpinned one goes";
        EXPECT_EQ(pixelbudget::HeldPixels(), 2 * one);
        {
            TPinnedPixels inner = png.Pixels();
            EXPECT_EQ(png.Pins(), 2);
            TPinnedPixels moved = std::move(inner);
            EXPECT_EQ(png.Pins(), 2);
            inner = std::move(moved);
            EXPECT_EQ(inner->At(0, 0), 0xFF00FF00u);
        }
        EXPECT_EQ(png.Pins(), 1);
        EXPECT_EQ(first.Pixels().At(2, 2), 0xFF112233u);
        EXPECT_TRUE(secondPixels->Pixels.empty());
        EXPECT_EQ(pinned->At(side - 1, side - 1), 0xFF00FF00u);
        EXPECT_EQ(pinned.Buffer().Pixels.size(), size_t(one));
    }
    // Unpinned, the budget settles: the picture last in use stays.
    EXPECT_EQ(png.Pins(), 0);
    EXPECT_EQ(pixelbudget::HeldPixels(), one);
    EXPECT_TRUE(firstPixels->Pixels.empty());
    EXPECT_EQ(pngPixels->Pixels.size(), size_t(one));
    // And it goes for the next picture decoded.
    EXPECT_EQ(second.Pixels().At(3, 3), 0xFF445566u);
    EXPECT_TRUE(pngPixels->Pixels.empty());
    EXPECT_EQ(pixelbudget::HeldPixels(), one);
    EXPECT_EQ(png.Pixels().At(4, 4), 0xFF00FF00u) << "decoded again";
}

// An image list that reads a picture and its mask, both loaded and with room
// for one of them, keeps the picture's pixels while the mask decodes.
TEST(PixelBudget, AnImageListReadsAPictureWhileItsMaskDecodes)
{
    const int side = 100;
    const TSmallPixelBudgets budgets(side * side + side, int64_t(1) << 40);
    TBitmap image, mask;
    Load(image, RleBmp(side, 0x336699));
    Load(mask, RleBmp(side, 0x000000)); // black: every pixel shows
    TImageList list(nullptr, side, side);
    ASSERT_EQ(list.Add(&image, &mask), 0);
    const TPixelBuffer& added = list.Image(0);
    for (const TPoint& at : {TPoint{0, 0}, TPoint{side / 2, side / 3}, TPoint{side - 1, side - 1}}) {
        SCOPED_TRACE(testing::Message() << at.X << "," << at.Y);
        EXPECT_EQ(added.At(at.X, at.Y), 0xFF336699u);
    }
    EXPECT_EQ(image.Pins() + mask.Pins(), 0);
    EXPECT_EQ(pixelbudget::HeldPixels(), side * side) << "settled when the pins went";
}

// Within a document load, pictures past the allowance are refused and leave
// the picture as it was; nested loads share the outer allowance; outside a
// load nothing is counted.
TEST(PixelBudget, ALoadRefusesPicturesPastItsAllowance)
{
    const TSmallPixelBudgets budgets(int64_t(1) << 40, 25000);
    const std::string file = RleBmp(100, 0x808080);
    {
        const TPictureLoadBudget load;
        TBitmap first, second, third;
        Load(first, file);
        {
            const TPictureLoadBudget nested;
            Load(second, file);
        }
        third.SetSize(3, 2);
        EXPECT_THROW(Load(third, file), EOutOfResources);
        EXPECT_EQ(third.Width(), 3);
        TPNGImage png;
        TBitmap source;
        source.SetPixels(TPixelBuffer(80, 80));
        png.Assign(&source);
        TPNGImage loaded;
        EXPECT_THROW(Load(loaded, Saved(png)), EOutOfResources);
        EXPECT_TRUE(loaded.Empty());
    }
    TBitmap later;
    Load(later, file);
    Load(later, file);
    Load(later, file);
    EXPECT_EQ(later.Width(), 100);
}

} // namespace
