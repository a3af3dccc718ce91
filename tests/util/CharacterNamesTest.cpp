#include "util/CharacterNames.h"

#include "util/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

TEST(CharacterNames, ControlCodesHaveAsciisAbbreviationsAndNames)
{
    const struct
    {
        unsigned char Code;
        const char* Abbreviation;
        const char* Name;
    } rows[] = {
        {0x00, "NUL", "null"},          {0x07, "BEL", "bell"},           {0x09, "HT", "horizontal tab"},
        {0x0A, "LF", "line feed"},      {0x0D, "CR", "carriage return"}, {0x1B, "ESC", "escape"},
        {0x1F, "US", "unit separator"}, {0x7F, "DEL", "delete"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.Code));
        EXPECT_EQ(ControlCodeAbbreviation(row.Code), row.Abbreviation);
        EXPECT_EQ(CharacterName(row.Code), row.Name);
    }
    for (unsigned char code : {0x20, 0x41, 0x7E, 0x80, 0x81, 0xA0, 0xFF})
        EXPECT_EQ(ControlCodeAbbreviation(code), "") << static_cast<int>(code);
}

TEST(CharacterNames, EveryCharacterOfTheCodePageHasItsNameAtItsCode)
{
    const struct
    {
        unsigned char Code;
        const char* Name;
    } rows[] = {
        {0x20, "space"},
        {0x30, "digit zero"},
        {0x2E, "full stop"},
        {0x41, "latin capital letter a"},
        {0x7A, "latin small letter z"},
        {0x80, "euro sign"},
        {0x8A, "latin capital letter s with caron"},
        {0x9F, "latin capital letter y with diaeresis"},
        {0xA0, "no-break space"},
        {0xAD, "soft hyphen"},
        {0xC4, "latin capital letter a with diaeresis"},
        {0xD7, "multiplication sign"},
        {0xDF, "latin small letter sharp s"},
        {0xFF, "latin small letter y with diaeresis"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CharacterName(row.Code), row.Name) << static_cast<int>(row.Code);

    // The table stays in step with the code page: a name for every code that has a character,
    // none for the five without, and the letters where the code page has them.
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<unsigned char>(code);
        const char32_t character = Cp1252ToUnicode(byte);
        const bool undefined = character >= 0x80 && character <= 0x9F;
        EXPECT_EQ(CharacterName(byte).empty(), undefined) << code;
        if (character >= U'A' && character <= U'Z') {
            EXPECT_EQ(CharacterName(byte),
                      "latin capital letter " + std::string(1, static_cast<char>(character - U'A' + 'a')));
        }
    }
}
