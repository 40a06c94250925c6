#pragma once

#include <QString>

// The process-wide settings, filled at start-up and shared by every screen.
struct AppSettings {
    QString DatabasePath;
    // The connection to the deal database on a server; empty when the database is the file at
    // DatabasePath.
    QString DatabaseServer;
    QString TodayText;
    QString VersionText;
    QString TypedPassword;
    QString DealerName;
    QString ReservedSetting;
    bool AddMode = false;
    bool ImportBusy = false;
    QString HelpTopic; // what the help form shows: "ABOUT" or a help reference
};

AppSettings &appSettings();

// Fixed values of the program.
namespace Defaults {
inline const QString DatabaseFile = QStringLiteral("ZELDB.mdb");
inline const QString DatabasePath = QStringLiteral(".\\ZELDB.mdb");
inline const QString SettingsFile = QStringLiteral(".\\ZEL.CFG");
inline const QString DatabaseSettingFile = QStringLiteral(".\\DATABASE.CFG");
inline const QString DatabaseVariable = QStringLiteral("VOLMERA_DATABASE");
inline const QString VersionText = QStringLiteral("VER8.10");
inline const QString DefaultDealerLine = QStringLiteral("DEALER NAME NOT SET (CTRL+SHIFT+S)");
inline const QString StartupHookPath = QStringLiteral("C:\\ORBEL4USB\\ZELUSB.BAT");
inline const QString Password = QStringLiteral("KE4PRN");
} // namespace Defaults
