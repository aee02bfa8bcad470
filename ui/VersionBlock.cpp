// The program's version block, kept in an ELF section of its own so that
// ReadFileVersion (VersionInfo.h) can read it back from the program file.
// This file is compiled into the program itself (an object library), as a
// static library member that nothing references would be left out. The file
// version is the build's (ProgramVersion.h); the product version is the
// block's own, which nothing reads.
#include "ProgramVersion.h"

namespace {

[[gnu::section(".hakomaru_version"), gnu::used]] const char versionBlock[] =
    "HAKOMARU-VERSIONINFO 1\n"
    "\\FixedFileInfo\\FileVersion=" HAKOMARU_VERSION "\n"
    "\\FixedFileInfo\\ProductVersion=" HAKOMARU_VERSION "\n"
    "\\FixedFileInfo\\FileOS=VOS__WINDOWS32\n"
    "\\FixedFileInfo\\FileType=VFT_APP\n"
    "\\StringFileInfo\\041103A4\\CompanyName=\n"
    "\\StringFileInfo\\041103A4\\FileDescription=\n"
    "\\StringFileInfo\\041103A4\\FileVersion=" HAKOMARU_VERSION "\n"
    "\\StringFileInfo\\041103A4\\InternalName=\n"
    "\\StringFileInfo\\041103A4\\LegalCopyright=\n"
    "\\StringFileInfo\\041103A4\\LegalTrademarks=\n"
    "\\StringFileInfo\\041103A4\\OriginalFilename=\n"
    "\\StringFileInfo\\041103A4\\ProductName=\n"
    "\\StringFileInfo\\041103A4\\ProductVersion=1.0.0.0\n"
    "\\StringFileInfo\\041103A4\\Comments=\n"
    "\\VarFileInfo\\Translation=0411 03A4\n";

} // namespace
