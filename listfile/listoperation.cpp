#include "listfile/listoperation.h"

#include "listfile/lineformat.h"
#include "listfile/listedit.h"

bool applyOperation(LineList& lines, const ListOperation& op)
{
    if (op.kind == ListOperation::Kind::Remove) {
        const int found = findProjectLine(lines, op.numberText);
        if (found < 0)
            return false;
        lines.erase(static_cast<std::size_t>(found));
        return true;
    }
    std::optional<std::size_t> insertAt;
    if (op.insertAt)
        insertAt = static_cast<std::size_t>(*op.insertAt);
    keepSorted(lines, putProjectLine(lines, op.numberText, op.line, insertAt));
    return true;
}

ListOperation inverseOperation(const ListOperation& op)
{
    ListOperation inverse;
    inverse.numberText = op.numberText;
    if (op.kind == ListOperation::Kind::Remove) {
        inverse.kind = ListOperation::Kind::Put;
        inverse.line = op.replaced.value_or(std::string());
    } else if (op.replaced) {
        inverse.kind = ListOperation::Kind::Put;
        inverse.line = *op.replaced;
        inverse.replaced = op.line;
    } else {
        inverse.kind = ListOperation::Kind::Remove;
        inverse.replaced = op.line;
    }
    return inverse;
}
