#pragma once
#include "editor/CodePageConverter.h"

// Native converter over iconv, for tests, benchmarks and tools.
class CIconvConverter : public CCodePageConverter
{
public:
    explicit CIconvConverter(unsigned codePage);
    ~CIconvConverter() override;
    CIconvConverter(const CIconvConverter&) = delete;
    CIconvConverter& operator=(const CIconvConverter&) = delete;

    bool IsOpen() const { return m_handle != nullptr; }
    bool FromUtf16(const char16_t* units, size_t count, std::string& out) const override;

private:
    void* m_handle = nullptr;
};
