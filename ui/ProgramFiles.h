#pragma once
// Finding the files shipped beside the program (the map picture, the help
// pages) when the program is started from another folder.
#include <QString>

namespace hakomaru {

// The help pages shipped in the program's folder: the introduction (also
// the about window's link) and how to use the program.
inline constexpr const char* kIntroductionPage = "Help/Sobato.htm";
inline constexpr const char* kHowToUsePage = "Help/howto.htm";

// Resolves a relative name such as "MapOfJapan.jpg" or "Help/Howto.htm":
// the current directory first, then the program's directory. Each path
// component is matched exactly or, failing that, without regard to letter
// case, so "Help/howto.htm" and "Help/Howto.htm" find the same page on a
// case-sensitive file system. When nothing exists, the name relative to the
// current directory is returned, so messages name the file the user expects.
QString locateProgramFile(const QString& relativeName);

// A document to hand to the shell (a help page), found as above: empty when
// it may not be handed over (see mayHandOver). A missing page is still
// handed over, for the browser to say so.
QString locateDocument(const QString& relativeName);

// The same search in the given directories only, first match wins.
QString locateIn(const QString& relativeName, const QStringList& directories);

} // namespace hakomaru
