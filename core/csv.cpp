#include "core/csv.h"

void SplitCsvFieldViews(std::string_view line, std::size_t most, std::vector<std::string_view>* fields) {
    fields->clear();
    std::size_t i = 0;
    while (i < line.size() && fields->size() < most) {
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
        fields->push_back(field.substr(0, kCsvFieldLimit));
    }
}

StringListNode* SplitCsvLine(std::string_view line, int* count) {
    std::vector<std::string_view> fields;
    SplitCsvFieldViews(line, fields.max_size(), &fields);
    StringListNode* head = nullptr;
    // Appended at the tail kept here: walking the list for each field would be quadratic.
    StringListNode** tail = &head;
    for (std::string_view f : fields) {
        AppendStringNode(tail, f);
        tail = &(*tail)->next;
    }
    if (count) *count = static_cast<int>(fields.size());
    return head;
}

std::vector<std::string> SplitCsvFields(std::string_view line, std::size_t most) {
    thread_local std::vector<std::string_view> views;
    SplitCsvFieldViews(line, most, &views);
    return std::vector<std::string>(views.begin(), views.end());
}
