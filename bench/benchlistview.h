#pragma once
// The list view's rows as the program fills them, from a list file.
#include "listfile/listfileio.h"
#include "app/projectlistmodel.h"

#include <string>
#include <vector>

inline void fillFromListFile(ProjectListModel& model, const std::string& path)
{
    LineList lines;
    loadListFile(path, lines);
    model.fill(lines);
}
