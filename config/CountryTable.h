// The two-letter country codes of certificate subjects and their English
// short names, in code order.
#pragma once

#include <string>

struct CountryRecord {
    const char* code;
    const char* name;
};

class CCountryTable {
public:
    static const CountryRecord* Records();
    static int Count();
};

// Whole, case-sensitive matches; "Unknown" when nothing matches.
std::string CountryNameFromCode(const std::string& code);
std::string CountryCodeFromName(const std::string& name);
