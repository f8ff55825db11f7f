// Where the spooler keeps drivers, and whether it has the product's.
#include <string.h>
#include "common/handles.h"
#include "common/product.h"
#include "common/spooler.h"
#include "common/text.h"

bool lookUpDriverDir(char (&out)[MAX_PATH]) {
    char environment[32];
    text::copy(environment, product::kEnvironment);
    DWORD needed = 0;
    if (spoolerCalls.getPrinterDriverDirectory(nullptr, environment, 1, reinterpret_cast<LPBYTE>(out), sizeof out,
                                               &needed))
        return true;
    out[0] = '\0';
    return false;
}

DriverListing productDriverListing(const char* environment) {
    char name[32] = "";
    LPSTR asked = environment && text::copy(name, environment) ? name : nullptr;
    DWORD needed = 0, count = 0;
    spoolerCalls.enumPrinterDrivers(nullptr, asked, 3, nullptr, 0, &needed, &count);
    DriverListing listing = DriverListing::NotListed;
    DWORD error = ERROR_SUCCESS;
    {
        Buffer buffer(needed);
        if (!spoolerCalls.enumPrinterDrivers(nullptr, asked, 3, buffer.get(), buffer.size(), &needed, &count)) {
            error = GetLastError();
            listing = DriverListing::Unknown;
        } else {
            const DRIVER_INFO_3A* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.get());
            for (DWORD i = 0; i < count && listing != DriverListing::Listed; ++i)
                if (drivers[i].pName && strcmp(drivers[i].pName, product::kDriverName) == 0)
                    listing = DriverListing::Listed;
        }
    }
    // Freeing the buffer may change the last error; the report wants the spooler's.
    if (listing == DriverListing::Unknown) SetLastError(error);
    return listing;
}
