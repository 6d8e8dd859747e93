// Starting processes: one command-line argument quoted by the Windows rules,
// and a new window process of the running executable.
#pragma once

#include <windows.h>

#include <string>

// `argument` as it must appear on a command line for the system's parser
// (CommandLineToArgvW) and the C run-time to give it back as exactly one
// argument: unchanged when it holds no blank, tab, line break or quote and
// is not empty; otherwise wrapped in quotes, each quote escaped and the
// backslashes before a quote or the closing quote doubled.
std::wstring QuoteArgument(const std::wstring& argument);

// Whether `address` can reach a new process as its one ordinary argument: it
// holds no NUL, which would cut the command line short, and does not begin
// with a switch prefix ("-" or "/"), which the engine would read as one of
// its own switches.
bool IsPassableAddress(const std::wstring& address);

// Starts the running executable again through the shell ("open", default
// show state, `owner` as the owner of any message the shell shows) with
// `address` as its only argument, so that the address opens in a new window.
// An address that is not passable starts nothing. The shell's answer is not
// examined.
void StartNewWindowProcess(HWND owner, const std::wstring& address);
