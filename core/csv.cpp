#include "core/csv.h"

#include <utility>

StringListNode* SplitCsvLine(std::string_view line, int* count) {
    StringListNode* head = nullptr;
    int n = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        std::string_view field;
        if (line[i] == '"') {
            std::size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) close = line.size();
            field = line.substr(i + 1, close - i - 1);
            i = close;
        } else {
            std::size_t comma = line.find(',', i);
            if (comma == std::string_view::npos) comma = line.size();
            field = line.substr(i, comma - i);
            i = comma;
        }
        // Whatever follows a closing quote belongs to no field.
        std::size_t comma = line.find(',', i);
        i = comma == std::string_view::npos ? line.size() : comma + 1;
        AppendStringNode(&head, field.substr(0, kCsvFieldLimit));
        ++n;
    }
    if (count) *count = n;
    return head;
}

std::vector<std::string> SplitCsvFields(std::string_view line) {
    int count = 0;
    StringListNode* head = SplitCsvLine(line, &count);
    std::vector<std::string> fields;
    fields.reserve(static_cast<std::size_t>(count));
    for (StringListNode* n = head; n; n = n->next) fields.push_back(std::move(n->text));
    FreeStringList(head);
    return fields;
}
