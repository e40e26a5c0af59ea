#include "frontend/TextTrim.h"

namespace {

// The bytes of a multibyte character are never white space.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::string TrimWhiteSpace(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        begin++;
    while (end > begin && IsSpace(text[end - 1]))
        end--;
    return text.substr(begin, end - begin);
}
