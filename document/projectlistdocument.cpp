#include "document/projectlistdocument.h"

#include "listfile/listedit.h"
#include "listfile/listfileio.h"

ProjectListDocument::ProjectListDocument(QObject* parent) : QObject(parent) {}

void ProjectListDocument::setCurrentListFile(const std::string& path)
{
    if (path == currentListFile_)
        return;
    currentListFile_ = path;
    emit listFileChanged();
}

void ProjectListDocument::load(const std::string& path)
{
    loadListFile(path, lines_);
    emit linesReloaded();
    emit linesChanged();
}

void ProjectListDocument::save() const
{
    saveListFile(currentListFile_, lines_);
}

RepairCounts ProjectListDocument::repair(RepairObserver& observer)
{
    const RepairCounts counts = repairListFile(currentListFile_, lines_, observer);
    if (!counts.cancelled) {
        emit linesReloaded();
        emit linesChanged();
    }
    return counts;
}

void ProjectListDocument::clear()
{
    lines_.clear();
    emit linesChanged();
}

std::size_t ProjectListDocument::putProject(std::string_view numberText, std::string_view line,
                                            std::optional<std::size_t> insertAt)
{
    const std::size_t at = putProjectLine(lines_, numberText, line, insertAt);
    keepSorted(lines_, at);
    emit linesChanged();
    return at;
}

void ProjectListDocument::removeProject(std::string_view numberText)
{
    removeProjectLine(lines_, numberText);
    emit linesChanged();
}
