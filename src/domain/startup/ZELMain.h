#pragma once

#include <QString>
#include <optional>

// The windows start-up needs, so that start-up itself stays a plain routine.
class StartupScreens {
public:
    virtual ~StartupScreens() = default;
    // Shows the password prompt modally; it leaves the typed text in TypedPassword.
    virtual void askPassword() = 0;
    // Shows the entry screen (modeless).
    virtual void showEntryScreen() = 0;
    // Starts the start-up batch file without waiting for it; throws VolmeraError when it
    // cannot be started.
    virtual void launchStartupHook(const QString &localPath);
};

// Start-up: fills AppSettings, makes sure the database exists and is current, reads the
// settings file, asks the password when required, launches the start-up batch file and shows
// the entry screen. Returns false when the entry screen was not shown (the program ends).
bool Main(StartupScreens &screens);

// The dealer name and reserved text from the settings file in the working folder, when there
// is one (the dealer name is the default line otherwise); returns the password text. A damaged
// file throws VolmeraError after the items before the damage were taken.
struct AppSettings;
QString ReadSettings(AppSettings &settings);

// The password check of the prompt. Until the office sets a password of its own, the default,
// whose letter case does not matter; then only the office's, letter case and all.
bool passwordMatches(const QString &typed);
// The hash of the office's own password, from the database; nothing until one is set.
std::optional<QString> officePasswordHash();

// The deal database routines with their messages: each reports its own failure.
void CreateDealDatabase(const QString &path); // "MAKE DB FILE"
