#include "JsonText.h"

std::string JsonString(std::string_view bytes)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string json = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte <= 0x7E && byte != '"' && byte != '\\') {
            json.push_back(c);
        } else {
            json.append("\\u00");
            json.push_back(kHex[byte >> 4]);
            json.push_back(kHex[byte & 0x0F]);
        }
    }
    json.push_back('"');
    return json;
}
