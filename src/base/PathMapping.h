#pragma once

#include <QString>

// The program names its files the way the dealership's machines do: ".\ZELDB.mdb" in the
// working folder, "C:\ORBEL4USB\ZELUSB.BAT" or "\FI\" on a drive. This maps such a name to
// a path on this machine: ".\" is the working folder; a drive letter, or a leading "\",
// is the drive root folder (the file system root "/" unless set). Each part of the name is
// matched without regard to letter case when the exact spelling is not there.
namespace PathMapping {
QString toLocal(const QString &dosPath);
void setDriveRoot(const QString &folder);
QString driveRoot();
} // namespace PathMapping

// True when a normal (not hidden) file of that name exists; never fails.
bool FileExists(const QString &dosPath);
