#pragma once
// GrantFolderAccess: gives the World group full control of the folder tree the
// program lies in by running the system's cacls tool. Every text here is a
// single-byte string in the system's ANSI code page.
#include <string>

// The account name of the World group (S-1-1-0) on this computer. 0 when it
// was found and stored in name; 1 otherwise, name unchanged.
int GetWorldGroupName(std::string& name);

// The folder to grant: the folder part of the program file, every trailing
// backslash removed ("C:\Tools\x.exe" -> "C:\Tools", "C:\x.exe" -> "C:").
std::string GrantFolderOf(const std::string& programFile);

// cacls "<folder>" /t /e /g <account>:f
std::string BuildCaclsCommandLine(const std::string& folder, const std::string& account);

// Runs cacls from the system folder for folder and waits until it has ended.
// Nothing is reported: a failed look-up gives an empty account name, a tool
// that cannot be started changes nothing.
void GrantFullAccess(const std::string& folder);

// The same with the tool at toolPath; GrantFullAccess passes the system's cacls.
void GrantFullAccessWith(const std::string& toolPath, const std::string& folder);
