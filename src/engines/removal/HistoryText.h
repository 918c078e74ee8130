#pragma once
// The words a history record is read in, by the window and the command line alike.
#include <QDateTime>
#include <QString>

#include "engines/records/Plan.h"

namespace History {

// "janela", "linha de comando".
QString originWord(Plan::Origin origin);
// The feature a removal was made in, by its plan's action ("Limpeza",
// "Duplicados"…); the action itself when this version does not know it.
QString actionWord(const QString& action);
// "feito", "retido"…
QString resultWord(Plan::Result result);
// "12 mar. 2025 14:05": the date and the short time, in local time.
QString whenText(const QDateTime& time);

} // namespace History
