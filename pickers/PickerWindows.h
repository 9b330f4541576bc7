#pragma once

// Registers the item search and the master-data lookup windows as the picker windows that the
// records open (records/LookupWindows.h). Called once at start-up, before any record searches.
void registerPickerWindows();
