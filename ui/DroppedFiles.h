// What a drop on the file list adds: each dropped file as it is (the signing
// tool decides what it can sign), and for each dropped folder its EXE, DLL,
// OCX, CPL and SCR files, recursively, in name order. The walk never enters a
// link or a junction, so a link loop cannot make it run forever.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> DroppedFiles(const std::vector<std::string>& Paths);

// One entry of a folder, as the platform lists it.
struct TFolderEntry {
    std::string Name;
    bool Folder = false;
    bool Link = false; // a symbolic link or a junction (a reparse point)
};

// The platform's part: whether Path is a folder (following a link, as a
// dropped link is what the user dropped), and a folder's entries without "."
// and "..", in no particular order; empty when it cannot be read.
bool IsDropFolder(const std::string& Path);
std::vector<TFolderEntry> ListDropFolder(const std::string& Folder);
// The separator the platform's paths use.
char DropPathSeparator();
