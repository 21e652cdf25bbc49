#pragma once

#include <QApplication>

namespace velmora::testing {

// The one application object of a widget test executable (GoogleTest's
// own main runs the tests).
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "test_tree_widgets";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}

} // namespace velmora::testing
