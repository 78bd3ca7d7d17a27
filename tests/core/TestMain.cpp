// The core tests' start: the C library's locale comes from the environment, as the
// program's start-up sets it (QCoreApplication calls setlocale(LC_ALL, "")), so that a
// run under LANG=de_DE.UTF-8 reads and writes numbers as a German listener's program does.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // A run that fell back to "C" would pass without testing what it was started for.
    if (!std::setlocale(LC_ALL, "")) {
        const char *asked = std::getenv("LC_ALL");
        if (!asked || !*asked)
            asked = std::getenv("LANG");
        std::fprintf(stderr, "The locale \"%s\" of this environment is not installed (scripts/install-deps "
                             "generates de_DE.UTF-8).\n", asked ? asked : "");
        return 1;
    }
    return RUN_ALL_TESTS();
}
