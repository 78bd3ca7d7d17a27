#pragma once
// The C library's locale switched for one scope of a test, as setlocale switches it
// for the whole program.

#include <clocale>
#include <string>

#include <gtest/gtest.h>

namespace qern::test {

// A locale where "," is the decimal separator; scripts/install-deps generates it.
constexpr const char *kCommaDecimalLocale = "de_DE.UTF-8";

class ScopedCLocale {
public:
    explicit ScopedCLocale(const char *name) : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        m_active = std::setlocale(LC_ALL, name) != nullptr;
        EXPECT_TRUE(m_active) << "the locale " << name << " is not installed";
    }
    ~ScopedCLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    ScopedCLocale(const ScopedCLocale &) = delete;
    ScopedCLocale &operator=(const ScopedCLocale &) = delete;

    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

} // namespace qern::test
