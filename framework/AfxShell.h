#pragma once
// Opens a document or an address (http:, mailto:) with the user's program for
// it, through the shell. Replaceable, so that tests can record what would be
// opened: under Wine the real call starts a browser helper.

// Returns true when the shell took the request.
using ShellOpener = bool (*)(const wchar_t* target);

bool AfxShellOpen(const wchar_t* target);

// Puts opener in place (null: the shell again); returns the one it replaces.
ShellOpener AfxSetShellOpener(ShellOpener opener);
