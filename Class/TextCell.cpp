#include "Class/TextCell.h"

std::string fitToWidth(std::string_view text, std::size_t width)
{
    std::size_t characters = 0;
    std::size_t end = 0;
    while (end < text.size() && characters < width) {
        // A character is its first byte and the continuation bytes after it.
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
        ++characters;
    }
    std::string cell(text.substr(0, end));
    cell.append(width - characters, ' ');
    return cell;
}
