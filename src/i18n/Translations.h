#pragma once
// The translation table: Portuguese key -> texts in raw-value order
// (en, es, it, fr, de, ja, zh, ar). A row may be shorter than eight; a missing
// column falls back to English.
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

// A count text's row may carry its Portuguese forms ("one:%ld item|other:%ld
// itens"), and its texts may be forms too (see pluralForm).
struct TranslationRow {
    const char* key;
    std::vector<const char*> texts;
    const char* baseForms = nullptr;
};

// The rows in table order (keys unique).
const std::vector<TranslationRow>& translationRows();
// Built once on first use; read-only afterwards.
const QHash<QString, QStringList>& translationTable();
// The Portuguese forms of a count key, or the key itself when it has none.
QString baseForms(const QString& key);
