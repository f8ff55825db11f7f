// The printer driver "Orlan PDF Printer Driver": the test for an existing
// installation, and its installation from the three staged files.
#include "common/dllsearch.h"
#include "common/errorreport.h"
#include "common/handles.h"
#include "common/installer.h"
#include "common/payload.h"
#include "common/product.h"
#include "common/spooler.h"
#include "common/text.h"
#include "install/install.h"

int Installer::isDriverInstalled() {
    switch (productDriverListing(product::kEnvironment)) {
    case DriverListing::Listed: return 1;
    case DriverListing::NotListed: return 0;
    case DriverListing::Unknown: break;
    }
    reportError("EnumPrinterDrivers", 0);
    return 0;
}

int Installer::addDriver() {
    char environment[32];
    text::copy(environment, product::kEnvironment);
    // The run's first step may have failed to learn the driver directory.
    // Staging without it would copy the files into the current drive's root.
    if (!driverDir[0] && !lookUpDriverDir(driverDir)) {
        reportError("GetPrinterDriverDirectory", 0);
        return 0;
    }

    printerStage = kStageDriverFiles;
    const char* failedTag = nullptr;
    for (FileRole role : kDriverRoles) {
        const ProductFile& file = productFile(role);
        char target[MAX_PATH];
        if (!text::format(target, "%s\\%s", driverDir, file.name)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);  // never copy to a cut path
            failedTag = file.copyTag;
            break;
        }
        // Writable before the spooler copies them on into its version
        // folder, so that no copy there is read-only either.
        if (!copyCheckedFile(file, target)) {
            failedTag = file.copyTag;
            break;
        }
    }

    if (!failedTag) {
        char name[64], driverPath[16], dataFile[16], configFile[16], empty[1] = "", dependent[2] = {'\0', '\0'};
        text::copy(name, product::kDriverName);
        text::copy(driverPath, productFile(FileRole::DriverModule).name);
        text::copy(configFile, productFile(FileRole::DriverConfig).name);
        text::copy(dataFile, productFile(FileRole::DriverData).name);
        DRIVER_INFO_3A info = {};
        info.cVersion = 3;
        info.pName = name;
        info.pEnvironment = environment;
        info.pDriverPath = driverPath;
        info.pDataFile = dataFile;
        info.pConfigFile = configFile;
        info.pHelpFile = empty;
        info.pDependentFiles = dependent;
        info.pMonitorName = nullptr;
        info.pDefaultDataType = empty;
        // The spooler takes the files into its version folder and may load
        // the configuration module from there in this process; the modules
        // import one another by bare name. The spooler makes that folder on
        // its first driver; made here first, it can join the search.
        char versionFolder[MAX_PATH];
        bool haveVersionFolder = productFolder(versionFolder, FileFolder::DriverVersion, installDir, driverDir);
        if (haveVersionFolder) CreateDirectoryA(versionFolder, nullptr);
        DllFolderInSearch driverNeighbours(haveVersionFolder ? versionFolder : nullptr);
        if (AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info))) {
            printerStage = kStageDriver;
            return 1;
        }
        failedTag = "AddPrinterDriver";
    }

    reportError(failedTag, 0);
    removePrinterAndDriver();
    return 0;
}
