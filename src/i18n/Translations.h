#pragma once
// The translation table: Portuguese key -> texts in raw-value order
// (en, es, it, fr, de, ja, zh, ar). A row may be shorter than eight; a missing
// column falls back to English.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct TranslationRow {
    const char* key;
    std::vector<const char*> texts;
};

// The rows in table order (keys unique).
const std::vector<TranslationRow>& translationRows();
// Built once on first use; read-only afterwards.
const QHash<QString, QStringList>& translationTable();
