#pragma once

#include <string>

// The owner of a mower: name, second name and address (each address line
// followed by a line feed). UTF-8 in memory, Windows-1252 in files.
class TVXOwner {
public:
    const std::string& getName() const { return name_; }
    void setName(const std::string& value) { name_ = value; }
    const std::string& getSurname() const { return surname_; }
    void setSurname(const std::string& value) { surname_ = value; }
    const std::string& getAddress() const { return address_; }
    void setAddress(const std::string& value) { address_ = value; }

    friend bool operator==(const TVXOwner&, const TVXOwner&) = default;

private:
    std::string name_;
    std::string surname_;
    std::string address_;
};
