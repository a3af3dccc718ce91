#include "util/CharacterNames.h"

#include <array>

namespace {

// ASCII's abbreviations of the control codes 0..31.
constexpr std::array<std::string_view, 32> kAbbreviations{
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

// ASCII's names for the control codes and DEL; the Unicode Character Database's names, in lower
// case, for every other character of Windows-1252. The five codes without a character have none.
constexpr std::array<std::string_view, 256> kNames{
    "null",                                       // 00
    "start of heading",                           // 01
    "start of text",                              // 02
    "end of text",                                // 03
    "end of transmission",                        // 04
    "enquiry",                                    // 05
    "acknowledge",                                // 06
    "bell",                                       // 07
    "backspace",                                  // 08
    "horizontal tab",                             // 09
    "line feed",                                  // 0A
    "vertical tab",                               // 0B
    "form feed",                                  // 0C
    "carriage return",                            // 0D
    "shift out",                                  // 0E
    "shift in",                                   // 0F
    "data link escape",                           // 10
    "device control 1",                           // 11
    "device control 2",                           // 12
    "device control 3",                           // 13
    "device control 4",                           // 14
    "negative acknowledge",                       // 15
    "synchronous idle",                           // 16
    "end of transmission block",                  // 17
    "cancel",                                     // 18
    "end of medium",                              // 19
    "substitute",                                 // 1A
    "escape",                                     // 1B
    "file separator",                             // 1C
    "group separator",                            // 1D
    "record separator",                           // 1E
    "unit separator",                             // 1F
    "space",                                      // 20
    "exclamation mark",                           // 21
    "quotation mark",                             // 22
    "number sign",                                // 23
    "dollar sign",                                // 24
    "percent sign",                               // 25
    "ampersand",                                  // 26
    "apostrophe",                                 // 27
    "left parenthesis",                           // 28
    "right parenthesis",                          // 29
    "asterisk",                                   // 2A
    "plus sign",                                  // 2B
    "comma",                                      // 2C
    "hyphen-minus",                               // 2D
    "full stop",                                  // 2E
    "solidus",                                    // 2F
    "digit zero",                                 // 30
    "digit one",                                  // 31
    "digit two",                                  // 32
    "digit three",                                // 33
    "digit four",                                 // 34
    "digit five",                                 // 35
    "digit six",                                  // 36
    "digit seven",                                // 37
    "digit eight",                                // 38
    "digit nine",                                 // 39
    "colon",                                      // 3A
    "semicolon",                                  // 3B
    "less-than sign",                             // 3C
    "equals sign",                                // 3D
    "greater-than sign",                          // 3E
    "question mark",                              // 3F
    "commercial at",                              // 40
    "latin capital letter a",                     // 41
    "latin capital letter b",                     // 42
    "latin capital letter c",                     // 43
    "latin capital letter d",                     // 44
    "latin capital letter e",                     // 45
    "latin capital letter f",                     // 46
    "latin capital letter g",                     // 47
    "latin capital letter h",                     // 48
    "latin capital letter i",                     // 49
    "latin capital letter j",                     // 4A
    "latin capital letter k",                     // 4B
    "latin capital letter l",                     // 4C
    "latin capital letter m",                     // 4D
    "latin capital letter n",                     // 4E
    "latin capital letter o",                     // 4F
    "latin capital letter p",                     // 50
    "latin capital letter q",                     // 51
    "latin capital letter r",                     // 52
    "latin capital letter s",                     // 53
    "latin capital letter t",                     // 54
    "latin capital letter u",                     // 55
    "latin capital letter v",                     // 56
    "latin capital letter w",                     // 57
    "latin capital letter x",                     // 58
    "latin capital letter y",                     // 59
    "latin capital letter z",                     // 5A
    "left square bracket",                        // 5B
    "reverse solidus",                            // 5C
    "right square bracket",                       // 5D
    "circumflex accent",                          // 5E
    "low line",                                   // 5F
    "grave accent",                               // 60
    "latin small letter a",                       // 61
    "latin small letter b",                       // 62
    "latin small letter c",                       // 63
    "latin small letter d",                       // 64
    "latin small letter e",                       // 65
    "latin small letter f",                       // 66
    "latin small letter g",                       // 67
    "latin small letter h",                       // 68
    "latin small letter i",                       // 69
    "latin small letter j",                       // 6A
    "latin small letter k",                       // 6B
    "latin small letter l",                       // 6C
    "latin small letter m",                       // 6D
    "latin small letter n",                       // 6E
    "latin small letter o",                       // 6F
    "latin small letter p",                       // 70
    "latin small letter q",                       // 71
    "latin small letter r",                       // 72
    "latin small letter s",                       // 73
    "latin small letter t",                       // 74
    "latin small letter u",                       // 75
    "latin small letter v",                       // 76
    "latin small letter w",                       // 77
    "latin small letter x",                       // 78
    "latin small letter y",                       // 79
    "latin small letter z",                       // 7A
    "left curly bracket",                         // 7B
    "vertical line",                              // 7C
    "right curly bracket",                        // 7D
    "tilde",                                      // 7E
    "delete",                                     // 7F
    "euro sign",                                  // 80
    "",                                           // 81
    "single low-9 quotation mark",                // 82
    "latin small letter f with hook",             // 83
    "double low-9 quotation mark",                // 84
    "horizontal ellipsis",                        // 85
    "dagger",                                     // 86
    "double dagger",                              // 87
    "modifier letter circumflex accent",          // 88
    "per mille sign",                             // 89
    "latin capital letter s with caron",          // 8A
    "single left-pointing angle quotation mark",  // 8B
    "latin capital ligature oe",                  // 8C
    "",                                           // 8D
    "latin capital letter z with caron",          // 8E
    "",                                           // 8F
    "",                                           // 90
    "left single quotation mark",                 // 91
    "right single quotation mark",                // 92
    "left double quotation mark",                 // 93
    "right double quotation mark",                // 94
    "bullet",                                     // 95
    "en dash",                                    // 96
    "em dash",                                    // 97
    "small tilde",                                // 98
    "trade mark sign",                            // 99
    "latin small letter s with caron",            // 9A
    "single right-pointing angle quotation mark", // 9B
    "latin small ligature oe",                    // 9C
    "",                                           // 9D
    "latin small letter z with caron",            // 9E
    "latin capital letter y with diaeresis",      // 9F
    "no-break space",                             // A0
    "inverted exclamation mark",                  // A1
    "cent sign",                                  // A2
    "pound sign",                                 // A3
    "currency sign",                              // A4
    "yen sign",                                   // A5
    "broken bar",                                 // A6
    "section sign",                               // A7
    "diaeresis",                                  // A8
    "copyright sign",                             // A9
    "feminine ordinal indicator",                 // AA
    "left-pointing double angle quotation mark",  // AB
    "not sign",                                   // AC
    "soft hyphen",                                // AD
    "registered sign",                            // AE
    "macron",                                     // AF
    "degree sign",                                // B0
    "plus-minus sign",                            // B1
    "superscript two",                            // B2
    "superscript three",                          // B3
    "acute accent",                               // B4
    "micro sign",                                 // B5
    "pilcrow sign",                               // B6
    "middle dot",                                 // B7
    "cedilla",                                    // B8
    "superscript one",                            // B9
    "masculine ordinal indicator",                // BA
    "right-pointing double angle quotation mark", // BB
    "vulgar fraction one quarter",                // BC
    "vulgar fraction one half",                   // BD
    "vulgar fraction three quarters",             // BE
    "inverted question mark",                     // BF
    "latin capital letter a with grave",          // C0
    "latin capital letter a with acute",          // C1
    "latin capital letter a with circumflex",     // C2
    "latin capital letter a with tilde",          // C3
    "latin capital letter a with diaeresis",      // C4
    "latin capital letter a with ring above",     // C5
    "latin capital letter ae",                    // C6
    "latin capital letter c with cedilla",        // C7
    "latin capital letter e with grave",          // C8
    "latin capital letter e with acute",          // C9
    "latin capital letter e with circumflex",     // CA
    "latin capital letter e with diaeresis",      // CB
    "latin capital letter i with grave",          // CC
    "latin capital letter i with acute",          // CD
    "latin capital letter i with circumflex",     // CE
    "latin capital letter i with diaeresis",      // CF
    "latin capital letter eth",                   // D0
    "latin capital letter n with tilde",          // D1
    "latin capital letter o with grave",          // D2
    "latin capital letter o with acute",          // D3
    "latin capital letter o with circumflex",     // D4
    "latin capital letter o with tilde",          // D5
    "latin capital letter o with diaeresis",      // D6
    "multiplication sign",                        // D7
    "latin capital letter o with stroke",         // D8
    "latin capital letter u with grave",          // D9
    "latin capital letter u with acute",          // DA
    "latin capital letter u with circumflex",     // DB
    "latin capital letter u with diaeresis",      // DC
    "latin capital letter y with acute",          // DD
    "latin capital letter thorn",                 // DE
    "latin small letter sharp s",                 // DF
    "latin small letter a with grave",            // E0
    "latin small letter a with acute",            // E1
    "latin small letter a with circumflex",       // E2
    "latin small letter a with tilde",            // E3
    "latin small letter a with diaeresis",        // E4
    "latin small letter a with ring above",       // E5
    "latin small letter ae",                      // E6
    "latin small letter c with cedilla",          // E7
    "latin small letter e with grave",            // E8
    "latin small letter e with acute",            // E9
    "latin small letter e with circumflex",       // EA
    "latin small letter e with diaeresis",        // EB
    "latin small letter i with grave",            // EC
    "latin small letter i with acute",            // ED
    "latin small letter i with circumflex",       // EE
    "latin small letter i with diaeresis",        // EF
    "latin small letter eth",                     // F0
    "latin small letter n with tilde",            // F1
    "latin small letter o with grave",            // F2
    "latin small letter o with acute",            // F3
    "latin small letter o with circumflex",       // F4
    "latin small letter o with tilde",            // F5
    "latin small letter o with diaeresis",        // F6
    "division sign",                              // F7
    "latin small letter o with stroke",           // F8
    "latin small letter u with grave",            // F9
    "latin small letter u with acute",            // FA
    "latin small letter u with circumflex",       // FB
    "latin small letter u with diaeresis",        // FC
    "latin small letter y with acute",            // FD
    "latin small letter thorn",                   // FE
    "latin small letter y with diaeresis",        // FF
};

} // namespace

std::string_view ControlCodeAbbreviation(unsigned char code)
{
    if (code < kAbbreviations.size())
        return kAbbreviations[code];
    return code == 0x7F ? "DEL" : "";
}

std::string_view CharacterName(unsigned char code)
{
    return kNames[code];
}
