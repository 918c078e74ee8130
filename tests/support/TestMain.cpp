// Every test binary starts here: it points HOME and the XDG folders at a fresh
// temporary home, so no test ever reads or writes the real one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QCoreApplication>

#include "profiles/Profile.h"
#include "support/TempHome.h"

int main(int argc, char** argv)
{
    TempHome home;  // removed when the run ends
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    Profiles::active();  // its protected places and words, as at the program's start
    return RUN_ALL_TESTS();
}
