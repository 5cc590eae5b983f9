#pragma once

#include <QString>

// Text values under a key of the current user's settings: "Software\Fenwary\Roamlog" is
// the registry key HKEY_CURRENT_USER\Software\Fenwary\Roamlog on Windows and the settings
// file of organisation "Fenwary", application "Roamlog" elsewhere. Every call opens the
// settings, does its work and closes them again; nothing is cached.
namespace RegistrySettings {

enum class Root { CurrentUser };

// Makes sure the key exists.
void CreateRegistryKey(const QString& path, Root root = Root::CurrentUser);

// Writes a text value, creating the key when it is missing. Returns false when it could not
// be stored (the setting then keeps its old value).
bool SetRegistryString(Root root, const QString& path, const QString& name, const QString& text);

// The value as text: a number reads as decimal text; a value that is missing, of another
// kind or unreadable reads as the empty text.
QString GetRegistryValue(Root root, const QString& path, const QString& name);

} // namespace RegistrySettings
