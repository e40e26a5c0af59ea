#include "platform/win32/CString.h"

const std::string& CString::empty()
{
    static const std::string none;
    return none;
}

void CString::Assign(std::string text)
{
    if (text.empty())
        data_.reset();
    else
        data_ = std::make_shared<std::string>(std::move(text));
}

std::string& CString::Writable()
{
    if (!data_)
        data_ = std::make_shared<std::string>();
    else if (data_.use_count() > 1)
        data_ = std::make_shared<std::string>(*data_);
    return *data_;
}

int CString::Find(const char* sub, int start) const
{
    if (!sub || start < 0)
        return -1;
    size_t at = Text().find(sub, size_t(start));
    return at == std::string::npos ? -1 : int(at);
}

CString& CString::Trim()
{
    const char* blanks = " \t\r\n\v\f";
    const std::string& text = Text();
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        Empty();
    else if (first > 0 || text.find_last_not_of(blanks) + 1 < text.size())
        Assign(text.substr(first, text.find_last_not_of(blanks) - first + 1));
    return *this;
}

CString& CString::operator=(const char* text)
{
    Assign(text ? std::string(text) : std::string());
    return *this;
}

CString& CString::operator+=(const CString& text)
{
    if (!text.IsEmpty())
        Writable() += text.Text();
    return *this;
}

CString& CString::operator+=(const char* text)
{
    if (text && *text)
        Writable() += text;
    return *this;
}

CString& CString::operator+=(char c)
{
    Writable() += c;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString sum = a;
    sum += b;
    return sum;
}
