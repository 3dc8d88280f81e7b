#pragma once

#include <QString>
#include <QTemporaryDir>

// Points the program folder (TOLVEK_HOME) and the settings folder (XDG_CONFIG_HOME) at a
// fresh temporary folder, so that a test never touches a real user's data.
class TTestHome {
public:
    TTestHome();
    QString Path() const { return dir_.path(); }
    QString DatabasePath() const { return dir_.path() + "/db/data.db"; }

private:
    QTemporaryDir dir_;
};
