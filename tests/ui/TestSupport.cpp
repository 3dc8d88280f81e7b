#include "tests/ui/TestSupport.h"

#include <QDir>

TTestHome::TTestHome() {
    QDir(dir_.path()).mkpath("config");
    qputenv("TOLVEK_HOME", dir_.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toUtf8());
}
