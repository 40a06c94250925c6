#pragma once

#include <QString>

// The settings file: one line of three quoted, comma-separated items: the dealer name, a
// reserved text and whether a password is asked at start ("True" or "False").
namespace SettingsFile {
struct Content {
    QString dealerName;
    QString reserved;
    QString passwordText; // empty when the file has no third item
};

// Reads path into content. Items the file lacks keep the values content had; a missing item
// or an unreadable file throws VolmeraError after the items before it were taken.
void read(const QString &path, Content &content);

// Rewrites path whole. Throws VolmeraError when it cannot be written; the old file then
// stays as it was.
void write(const QString &path, const QString &dealerName, const QString &reserved,
           bool passwordRequired);

// The boolean a password text stands for: True/False in any case, or a number (not 0 is
// true). Throws VolmeraError for any other text.
bool toBoolean(const QString &text);
} // namespace SettingsFile
