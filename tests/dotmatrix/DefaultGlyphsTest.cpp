#include "controls/dotmatrix/DefaultGlyphs.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>

namespace {

const TGlyphRecord& Glyph(int code)
{
    return DefaultGlyphs.at(static_cast<std::size_t>(code - 32));
}

// Union of the lit columns of the given rows.
unsigned InkColumns(int code, int firstRow = 0, int lastRow = 11)
{
    unsigned ink = 0;
    for (int r = firstRow; r <= lastRow; ++r)
        ink |= Glyph(code).Rows[static_cast<std::size_t>(r)];
    return ink;
}

bool RowsEqual(int a, int b, int firstRow, int lastRow)
{
    for (int r = firstRow; r <= lastRow; ++r)
        if (Glyph(a).Rows[static_cast<std::size_t>(r)] != Glyph(b).Rows[static_cast<std::size_t>(r)])
            return false;
    return true;
}

// True when the set bits form one unbroken run of columns.
bool IsOneRun(unsigned bits)
{
    while (bits != 0 && (bits & 1u) == 0)
        bits >>= 1;
    while ((bits & 1u) != 0)
        bits >>= 1;
    return bits == 0;
}

bool IsBlankCode(int code)
{
    return code == 32 || code == 127 || (code >= 155 && code <= 160);
}

void ExpectRecord(int code, int first, int last, std::initializer_list<int> rows)
{
    const TGlyphRecord& g = Glyph(code);
    EXPECT_EQ(g.FirstCol, first) << code;
    EXPECT_EQ(g.LastCol, last) << code;
    std::size_t r = 0;
    for (int row : rows)
        EXPECT_EQ(g.Rows[r++], row) << "code " << code << " row " << r - 1;
}

// A plain letter and the codes of its accented forms.
struct TFamily
{
    int Base;
    std::initializer_list<int> Codes;
};

} // namespace

TEST(DefaultGlyphs, HoldsTheDocumentedRecordsByteForByte)
{
    ExpectRecord(32, 0, 6, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    ExpectRecord(33, 3, 3, {0x00, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x00, 0x08, 0x00, 0x00});
    ExpectRecord(46, 3, 3, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00});
    ExpectRecord(48, 1, 5, {0x00, 0x1C, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x1C, 0x00, 0x00});
    ExpectRecord(49, 1, 5, {0x00, 0x08, 0x0E, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x3E, 0x00, 0x00});
    ExpectRecord(65, 0, 6, {0x00, 0x08, 0x08, 0x14, 0x14, 0x22, 0x3E, 0x22, 0x22, 0x77, 0x00, 0x00});
    ExpectRecord(103, 0, 6, {0x00, 0x00, 0x00, 0x00, 0x7E, 0x21, 0x21, 0x21, 0x3E, 0x20, 0x20, 0x1E});
    ExpectRecord(128, 0, 5, {0x00, 0x1C, 0x22, 0x02, 0x1F, 0x02, 0x1F, 0x02, 0x22, 0x1C, 0x00, 0x00});
    ExpectRecord(196, 0, 6, {0x22, 0x08, 0x08, 0x14, 0x14, 0x22, 0x3E, 0x22, 0x22, 0x77, 0x00, 0x00});
}

TEST(DefaultGlyphs, AsciiColumnRangesFollowTheCharacterClasses)
{
    struct TRangeClass
    {
        std::string_view Chars;
        int First, Last;
    };
    const TRangeClass classes[] = {
        {"0123456789$-=?I^it{}", 1, 5},
        {"!'.:|", 3, 3},
        {",;`", 2, 3},
        {"\"()[]", 2, 4},
        {"<fj", 1, 4},
        {">", 2, 5},
        {"Jz", 0, 5},
    };
    for (int code = 32; code <= 126; ++code) {
        int first = 0;
        int last = 6;
        for (const TRangeClass& c : classes)
            if (c.Chars.find(static_cast<char>(code)) != std::string_view::npos) {
                first = c.First;
                last = c.Last;
            }
        EXPECT_EQ(Glyph(code).FirstCol, first) << "code " << code;
        EXPECT_EQ(Glyph(code).LastCol, last) << "code " << code;
    }
}

TEST(DefaultGlyphs, InkStaysInsideTheCellAndTheColumnRange)
{
    for (int code = 32; code <= 255; ++code) {
        const TGlyphRecord& g = Glyph(code);
        ASSERT_LE(g.FirstCol, g.LastCol) << code;
        ASSERT_LE(g.LastCol, 6) << code;
        const unsigned range = (1u << (g.LastCol + 1)) - (1u << g.FirstCol);
        EXPECT_EQ(InkColumns(code) & ~range, 0u) << "code " << code << " has ink outside its range";
        if (IsBlankCode(code)) {
            EXPECT_EQ(InkColumns(code), 0u) << code;
            EXPECT_EQ(g.FirstCol, 0) << code;
            EXPECT_EQ(g.LastCol, 6) << code;
        } else {
            EXPECT_NE(InkColumns(code), 0u) << "code " << code << " was left without a glyph";
        }
    }
    // The range is data of its own: l is lit in 1..5 but spaced like a full-width letter.
    EXPECT_EQ(InkColumns('l'), 0x3Eu);
    EXPECT_EQ(Glyph('l').FirstCol, 0);
    EXPECT_EQ(Glyph('l').LastCol, 6);
}

TEST(DefaultGlyphs, CapitalsAndDigitsStandOnTheBaseLine)
{
    for (std::string_view set : {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "0123456789"})
        for (char ch : set) {
            const int code = static_cast<unsigned char>(ch);
            EXPECT_EQ(InkColumns(code, 0, 0) | InkColumns(code, 10, 11), 0u) << ch;
            EXPECT_NE(InkColumns(code, 1, 1), 0u) << ch << " does not reach row 1";
            EXPECT_NE(InkColumns(code, 9, 9), 0u) << ch << " does not reach the base line";
        }
    // Capitals of the upper half without an accent keep row 0 free as well.
    for (int code : {198, 208, 216, 222})
        EXPECT_EQ(InkColumns(code, 0, 0) | InkColumns(code, 10, 11), 0u) << code;
}

TEST(DefaultGlyphs, AccentedCapitalsCarryTheAccentInRowZero)
{
    const TFamily families[] = {
        {'A', {192, 193, 194, 195, 196, 197}},
        {'E', {200, 201, 202, 203}},
        {'I', {204, 205, 206, 207}},
        {'N', {209}},
        {'O', {210, 211, 212, 213, 214}},
        {'U', {217, 218, 219, 220}},
        {'Y', {221}},
    };
    for (const TFamily& family : families)
        for (int code : family.Codes) {
            EXPECT_NE(InkColumns(code, 0, 0), 0u) << code;
            EXPECT_EQ(InkColumns(code, 10, 11), 0u) << code;
            EXPECT_NE(InkColumns(code, 9, 9), 0u) << code;
            EXPECT_EQ(Glyph(code).FirstCol, Glyph(family.Base).FirstCol) << code;
            EXPECT_EQ(Glyph(code).LastCol, Glyph(family.Base).LastCol) << code;
            // Only the accent tells the letters of a family apart. A blank row keeps the accent clear of
            // the letter; over A the apex alone reaches row 1 and stays clear of the diaeresis anyway.
            EXPECT_TRUE(RowsEqual(code, *family.Codes.begin(), 2, 11)) << code;
            if (code != 196) {
                EXPECT_EQ(InkColumns(code, 1, 1), 0u) << code;
            }
        }
    // The cedilla hangs below the base line; the C above it is the plain C.
    EXPECT_TRUE(RowsEqual(199, 'C', 0, 9));
    EXPECT_NE(InkColumns(199, 10, 11), 0u);
}

TEST(DefaultGlyphs, SmallLettersKeepToTheirZones)
{
    // Without ascender or descender: x-height rows 4..9 and nothing else.
    for (char ch : std::string_view("acemnorsuvwxz")) {
        EXPECT_EQ(InkColumns(ch) & ~InkColumns(ch, 4, 9), 0u) << ch;
        EXPECT_EQ(InkColumns(ch, 0, 3) | InkColumns(ch, 10, 11), 0u) << ch;
        EXPECT_NE(InkColumns(ch, 4, 4), 0u) << ch;
        EXPECT_NE(InkColumns(ch, 9, 9), 0u) << ch;
    }
    // Ascenders begin in row 1 and leave row 0 to the bar of the barred letters.
    for (char ch : std::string_view("bdfhkl")) {
        EXPECT_EQ(InkColumns(ch, 0, 0), 0u) << ch;
        EXPECT_NE(InkColumns(ch, 1, 1), 0u) << ch;
        EXPECT_EQ(InkColumns(ch, 10, 11), 0u) << ch;
    }
    // Everything else stays below row 1, where the barred letters put their bar.
    for (char ch : std::string_view("acegijmnopqrstuvwxyz"))
        EXPECT_EQ(InkColumns(ch, 0, 1), 0u) << ch;
    for (char ch : std::string_view("gjpqy"))
        EXPECT_NE(InkColumns(ch, 10, 11), 0u) << ch;
}

TEST(DefaultGlyphs, AccentedSmallLettersAreThePlainLetterUnderAnAccent)
{
    const TFamily families[] = {
        {'a', {224, 225, 226, 227, 228, 229}},
        {'e', {232, 233, 234, 235}},
        {'i', {236, 237, 238, 239}},
        {'n', {241}},
        {'o', {242, 243, 244, 245, 246}},
        {'u', {249, 250, 251, 252}},
        {'y', {253, 255}},
    };
    for (const TFamily& family : families)
        for (int code : family.Codes) {
            // The accent sits in rows 2..3, clear of the x-height, and replaces the dot of the i.
            EXPECT_EQ(InkColumns(code, 0, 1), 0u) << code;
            EXPECT_NE(InkColumns(code, 2, 3), 0u) << code;
            EXPECT_TRUE(RowsEqual(code, family.Base, 4, 11)) << code;
            EXPECT_EQ(Glyph(code).FirstCol, Glyph(family.Base).FirstCol) << code;
            EXPECT_EQ(Glyph(code).LastCol, Glyph(family.Base).LastCol) << code;
        }
    EXPECT_TRUE(RowsEqual(231, 'c', 0, 9));
    EXPECT_NE(InkColumns(231, 10, 11), 0u);
}

TEST(DefaultGlyphs, BarredLettersAreThePlainLettersUnderABar)
{
    const std::string_view shortBar = "fijltz";
    for (int k = 0; k < 26; ++k) {
        const int plain = 'a' + k;
        const int barred = 129 + k;
        const char letter = static_cast<char>(plain);
        const std::size_t barRow = std::string_view("bdfhkl").find(letter) != std::string_view::npos ? 0 : 1;
        const unsigned bar = Glyph(barred).Rows[barRow];

        EXPECT_EQ(Glyph(barred).FirstCol, Glyph(plain).FirstCol) << letter;
        EXPECT_EQ(Glyph(barred).LastCol, Glyph(plain).LastCol) << letter;
        EXPECT_EQ(Glyph(plain).Rows[barRow], 0) << letter << " has ink where its bar goes";
        if (shortBar.find(letter) == std::string_view::npos) {
            EXPECT_EQ(bar, 0x7Fu) << letter;
        } else {
            EXPECT_NE(bar, 0x7Fu) << letter;
            EXPECT_TRUE(IsOneRun(bar)) << letter << "'s bar has a gap";
        }
        // Below the bar the letter is unchanged; over i and j the bar takes the place of the dot.
        const bool dotted = letter == 'i' || letter == 'j';
        for (std::size_t r = 0; r < 12; ++r) {
            if (r == barRow)
                continue;
            const int expected = (dotted && r == 2) ? 0 : Glyph(plain).Rows[r];
            EXPECT_EQ(Glyph(barred).Rows[r], expected) << letter << " row " << r;
        }
        if (dotted) {
            EXPECT_NE(Glyph(plain).Rows[2], 0) << letter;
        }
    }
}
