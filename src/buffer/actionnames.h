// Names of the edit actions as the Undo and Redo menu items show them. The table lives with the
// buffer until the application's string table takes it over; the ids are the string-table ids.
#pragma once

#include <string>

struct ActionNameEntry {
    int action;
    int stringId;
    const char* text;
};

// The entry for `action`, or none for a value outside the known actions.
const ActionNameEntry* FindActionName(int action);
