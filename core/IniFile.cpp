#include "core/IniFile.h"

#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "core/BoundedFile.h"

#include <cctype>
#include <climits>
#include <cstdlib>

struct IniFile::Impl {
    CSimpleIniA ini {false, false, false};  // raw bytes, one value per key, no multi-line values
};

namespace {

// Far beyond any settings file a person or the program writes: a file this
// large is not read, and so never written over either.
constexpr std::size_t MaxSettingsBytes = 4u * 1024u * 1024u;

std::string trimmed(const std::string& text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

}  // namespace

IniFile::IniFile()
    : impl_(std::make_unique<Impl>())
{
    impl_->ini.SetSpaces(false);
}

IniFile::~IniFile() = default;

bool IniFile::open(const std::string& path, std::string& error)
{
    path_ = path;
    impl_->ini.Reset();
    unreadable_.clear();
    std::string bytes;
    const ReadStatus status = readBoundedFile(path, MaxSettingsBytes, bytes, error);
    if (status == ReadStatus::NotFound)
        return true;  // a first start: every key takes its default
    if (status != ReadStatus::Ok || impl_->ini.LoadData(bytes) < 0) {
        if (status == ReadStatus::Ok)
            error = path + ": cannot be parsed";
        impl_->ini.Reset();
        unreadable_ = error;
        return false;
    }
    return true;
}

bool IniFile::parseInteger(const std::string& raw, int& value)
{
    const std::string text = trimmed(raw);
    if (text.empty())
        return false;
    std::size_t pos = 0;
    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }
    int base = 10;
    if (text.size() - pos > 2 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size())
        return false;
    long long result = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        result = result * base + digit;
        // Hexadecimal values may use all 32 bits, as 0xFFFFFFFF does.
        if (result > (base == 16 ? 0xFFFFFFFFLL : static_cast<long long>(INT_MAX) + 1))
            return false;
    }
    if (base == 16 && !negative) {
        value = static_cast<int>(static_cast<unsigned>(result));
        return true;
    }
    if (negative)
        result = -result;
    if (result > INT_MAX || result < INT_MIN)
        return false;
    value = static_cast<int>(result);
    return true;
}

int IniFile::readInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    const char* raw = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    int value = 0;
    if (raw == nullptr || !parseInteger(raw, value))
        return defaultValue;
    return value;
}

bool IniFile::readBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const
{
    const char* raw = impl_->ini.GetValue(section.c_str(), key.c_str(), nullptr);
    return raw == nullptr ? defaultValue : std::string(raw);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, int value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(const std::string& section, const std::string& key, bool value)
{
    writeString(section, key, value ? "1" : "0");
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    impl_->ini.SetValue(section.c_str(), key.c_str(), value.c_str());
}

WriteResult IniFile::save() const
{
    if (!unreadable_.empty())
        return {false, "settings not saved, " + path_ + " was left as it was: it could not be read at start ("
                           + unreadable_ + ")"};
    std::string bytes;
    if (impl_->ini.Save(bytes) < 0)
        return {false, "cannot format " + path_};
    return writeFileAtomically(path_, bytes);
}
