#include "store/DmUnit.h"
#include "store/Settings.h"
#include "store/StoreError.h"
#include "store/TaskTable.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    TDM dataModule(ResolveProgramFolder(QCoreApplication::applicationDirPath().toStdString()));
    DM = &dataModule;
    try {
        dataModule.DataModuleCreate();
        ReadSettings(SettingsFilePath());
        std::vector<TMyRec2> allTasks, shownTasks;
        LoadTaskArrays(dataModule, 0, -1, 0, allTasks, shownTasks);
        std::printf("Loaded %zu tasks from %s\n", allTasks.size(),
                    dataModule.DatabasePath().c_str());
    } catch (const StoreError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
