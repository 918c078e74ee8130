// Every test binary starts here: it points HOME and the XDG folders at a fresh
// temporary home, so no test ever reads or writes the real one.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QCoreApplication>
#include <QThreadPool>

#include "platform/Prefs.h"
#include "support/FixtureSystem.h"
#include "profiles/Profile.h"
#include "support/TempHome.h"

int main(int argc, char** argv)
{
    TempHome home;  // removed when the run ends
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    Profiles::active();  // its protected places and words, as at the program's start
    // The system's junk is read under a root that holds nothing, and no
    // package tool runs: a test that wants some points it at a fixture root.
    useNoSystem(home.path());
    // No sounds unless a test asks for them: there is no audio device here, and
    // Qt's sample loader can deadlock the exit of a process that just played one.
    Prefs::standard()->setValue(QStringLiteral("soundEnabled"), false);
    const int status = RUN_ALL_TESTS();
    // Background work a test started may still be finishing: let it end (for a
    // few seconds at most) before the application and the temporary home go.
    QThreadPool::globalInstance()->waitForDone(5000);
    return status;
}
