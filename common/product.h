// The product's constant texts, in one place: names, kernel objects, registry
// locations, spooler objects, message texts and the maker's addresses.
#pragma once

// The maker's addresses.
#define ORLAN_SUPPORT_EMAIL "support@orlan-software.com"
#define ORLAN_DOWNLOAD_PAGE "http://www.orlan-software.com/pdfscribe/download.html"
#define ORLAN_PRODUCT_PAGE "http://www.orlan-software.com/pdfscribe/"

namespace product {

// Kernel objects and windows.
const char kSetupMutex[] = "OPS_SETUP_MUTEX";
const char kUninstallMutex[] = "OPS_UNINSTALL_MUTEX";
const char kDialogClass[] = "#32770";
const char kWizardCaption[] = "Orlan PDF Scribe Setup Wizard";
const char kUninstallCaption[] = "Orlan PDF Scribe Uninstall Wizard";

// Message box captions.
const char kSetupBoxCaption[] = "Orlan PDF Scribe Setup";
const char kBoxCaption[] = "Orlan PDF Scribe";
const char kUninstallBoxCaption[] = "Orlan PDF Scribe Uninstall";

// Spooler objects.
const char kPrinterName[] = "Orlan PDF Printer";
const char kDriverName[] = "Orlan PDF Printer Driver";
const char kPortName[] = "ORLAN_PDF:";
const wchar_t kPortNameW[] = L"ORLAN_PDF:";
// The product is for 32-bit Windows. The x86_64 build exists only to run the
// tests on hosts without 32-bit code, and a 64-bit spooler refuses a printer
// on a driver of another environment.
#ifdef _WIN64
const char kEnvironment[] = "Windows x64";
#else
const char kEnvironment[] = "Windows NT x86";
#endif
const char kPrintProcessor[] = "WinPrint";
const char kDatatype[] = "RAW";
const char kLocalPortMonitor[] = ", XcvMonitor Local Port";

// Registry.
const char kProductKey[] = "Software\\Orlan Software\\PDF Scribe";
const char kSetupPathValue[] = "SetupPath";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orlan Scribe";
const char kOldUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PDF Scribe";
const char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kDisplayName[] = "Orlan Scribe";
const char kPublisher[] = "Orlan Corporation";
const char kDisplayVersion[] = "3,1,0,1210";
const char kDefaultProgramFiles[] = "C:\\Program Files";
const char kProductSubFolder[] = "\\Orlan Software\\PDF Scribe";

// Start menu.
const char kStartMenuFolder[] = "Orlan PDF Scribe";
const char kUninstallLink[] = "Orlan PDF Scribe\\Uninstall.lnk";
const char kOldBatchLink[] = "Orlan PDF Scribe\\ScribeBatch.lnk";
const char kBatchLink[] = "Orlan PDF Scribe\\OPSBatch.lnk";
const char kOldVendorLink[] = "Orlan Software\\PDF Scribe\\Uninstall.lnk";
const char kUninstallLinkDescription[] = "Orlan PDF Scribe Uninstall";

// Error report formats: the tag, the code and the system's text.
const char kSetupReportFormat[] =
    "Error happened to Orlan PDF Scribe. Installation might not be complete.\n"
    "Error tag = %s(%d):%sPlease reboot your computer and try again,or report this error to Orlan ("
    ORLAN_SUPPORT_EMAIL "). \nThanks!";
const char kUninstallReportFormat[] =
    "Error happened to Orlan PDF Scribe, installation might not be complete.\n"
    "Error tag = %s(%d):%sPlease report this error to Orlan (" ORLAN_SUPPORT_EMAIL "). Thanks!";

// Setup's start-up checks.
const char kNoVersionInfo[] = "Can't get the correct operating system information. \nSetup will end.";
const char kTooOld[] = "Orlan PDF Scribe can't support operating systems before Windows 2000. \nSetup will end. ";
const char kNoKernel32[] = "Can't get the special information(kernel32) \nSetup will end.";
const char kNoCurrentProcess[] = "Can't get the special information(CurrentProcess) \nSetup will end.";
const char kIs64Bit[] =
    "Orlan PDF Scribe of this version is for 32-bit operating systems.\nPlease download the 64-bit version from "
    ORLAN_DOWNLOAD_PAGE ".\nSetup will end.";
const char kNotAdmin[] = "You must have administrator privileges for running the Setup program. \nSetup will end.";

// Installation run.
const char kAlreadyInstalled[] =
    "Orlan PDF Scribe is already installed on this computer. \n"
    "Are you sure you want to continue installing Orlan PDF Scribe?";
const char kNoPortMonitor[] =
    "Error happened to Orlan PDF Scribe, installation might not be complete.\n"
    "Make sure you have the administrative privilege.";
const char kCloseWord[] =
    "Installation might not be complete. \nPlease close the Microsoft Word program and try again, \n"
    "or click 'CANCEL' to quit.";

// Printer and driver removal prompts ("%s" is the printer name).
const char kCannotOpenTag[] = "%s can not be opened";
const char kCannotDeleteTag[] = "%s can not be deleted";
const char kDriverTag[] = "Orlan PDF Driver can't be deleted";
const char kCannotOpenPrompt[] =
    "Cannot open %s. \nPlease close all the applications that may be using the printer and try again, \n"
    "or click 'CANCEL' to quit.";
const char kJobsQueued[] =
    "Can't delete %s. \nPlease close all the applications that may be using the printer and try again.";
const char kCannotDeletePrompt[] =
    "Can't delete %s. \nPlease close all the applications that may be using the printer and try again, \n"
    "or click 'CANCEL' to quit.";
const char kDriverPrompt[] =
    "Can't delete Orlan PDF Driver. \nPlease close all the programs that may be using the printer and try "
    "again, \nor click 'CANCEL' to quit.";

// Wizard.
const char kQuitQuestion[] = "Are you sure you want to quit Orlan PDF Scribe Setup?";
const char kOpenProductPage[] = "Please open " ORLAN_PRODUCT_PAGE " in your web browser.";

// The Destination page's answers to a folder it cannot install into.
const char kFolderEmpty[] = "Please enter the folder to install Orlan PDF Scribe in.";
const char kFolderNotFull[] = "Please enter a full path, such as C:\\Program Files\\Orlan Software\\PDF Scribe.";
const char kFolderNoDrive[] = "The drive %c: does not exist. Please choose another folder.";
const char kFolderBadCharacter[] = "A folder name cannot contain any of these characters: < > : \" / | ? *";
const char kFolderBadEnd[] = "A folder name cannot end with a space or a period.";
const char kFolderTooLong[] = "The folder name is too long. Please choose a shorter one.";
// Why a folder is refused: "%s" is the folder, then what the program says
// next, setup's request or the uninstaller's outcome.
const char kFolderOthersMayChange[] = "Users who are not administrators can change the folder %s. %s";
const char kFolderAboveOthersMayChange[] =
    "Users who are not administrators can rename or replace a folder above %s. %s";
const char kFolderLinked[] = "A folder on the path %s is a link to another place (a junction or a symbolic link). %s";
const char kChooseAnotherFolder[] = "Please choose another folder, or a new one.";
// The folder, the reading's error code and the system's text for it (which
// ends the line); then the same request or outcome.
const char kFolderUnreadable[] =
    "Who may change the folder %s, or a folder above it, cannot be read. Error %d: %s";

// Uninstaller.
const char kConfirmUninstall[] = "Are you sure you want to uninstall Orlan PDF Scribe?";
const char kNoUninstallInfo[] = "Can't find Uninstall information.";
const char kUninstallNotAdmin[] =
    "You must have administrator priviledges for uninstalling Orlan PDF Scribe. Uninstall will be aborted.";
const char kUninstallSuccess[] = "You have successfully removed Orlan PDF Scribe.";
const char kInstallFolderRefused[] =
    "Nothing was removed: the uninstaller would load the Word add-in from that folder and delete files in it.";
// The temp folder, then why ("%s" twice).
const char kNoTempCopy[] =
    "Orlan PDF Scribe was not removed: the uninstaller could not make or start its temporary copy in the "
    "folder \"%s\".\n\n%s";
const char kTempPathLinked[] =
    "A folder on that path is a link to another place (a junction or a symbolic link). Please set TEMP to a "
    "folder of your own and try again.";
const char kTempFolderKeepsNoPermissions[] =
    "That folder is not on a local hard disk whose file system keeps permissions (such as NTFS), so other users "
    "could change what the uninstaller runs from there. Please set TEMP to a folder on such a disk and try again.";
const char kTempCopyFolderChanged[] =
    "Someone changed the folder made for the copy before the copy was put in it: it holds files, or users who are "
    "not administrators can change it. Please try again.";

// Command lines.
const char kSetupUsage[] =
    "Usage: setup.exe [/S [/D=folder] [/NOADDIN] [/NOSHORTCUT] [/KEEPDEFAULT]] [/LOG=file]\n\n"
    "/S\tinstall without any window, as the Default setup type does\n"
    "/D=folder\tinstall into this full path instead of the Program Files folder\n"
    "/NOADDIN\tdo not install the Microsoft Word add-in\n"
    "/NOSHORTCUT\tdo not create the Start menu shortcut\n"
    "/KEEPDEFAULT\tkeep the current default printer\n"
    "/LOG=file\twrite what setup does to this file (a full path)";
const char kUninstallUsage[] =
    "Usage: uninstall.exe [/S] [/LOG=file]\n\n"
    "/S\tremove Orlan PDF Scribe without any window or question\n"
    "/LOG=file\twrite what the uninstaller does to this file (a full path)";

}  // namespace product
