// The framework's reference-counted 8-bit string: copies share one buffer
// until one of them is changed.
#pragma once

#include <memory>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* text) { Assign(text ? std::string(text) : std::string()); }
    CString(const std::string& text) { Assign(text); }

    int GetLength() const { return int(Text().size()); }
    bool IsEmpty() const { return Text().empty(); }
    void Empty() { data_.reset(); }
    char GetAt(int index) const { return Text()[size_t(index)]; }

    operator const char*() const { return Text().c_str(); }
    const std::string& Text() const { return data_ ? *data_ : empty(); }

    // Removes blanks, tabs and line breaks at both ends; the bytes of
    // multibyte characters are never taken for them.
    CString& Trim();

    // -1 when not found.
    int Find(const char* sub, int start = 0) const;

    CString& operator=(const char* text);
    CString& operator+=(const CString& text);
    CString& operator+=(const char* text);
    CString& operator+=(char c);

    friend CString operator+(const CString& a, const CString& b);
    friend bool operator==(const CString& a, const CString& b) { return a.Text() == b.Text(); }

private:
    static const std::string& empty();
    void Assign(std::string text);
    std::string& Writable();

    std::shared_ptr<std::string> data_;
};
