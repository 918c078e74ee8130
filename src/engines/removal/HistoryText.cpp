#include "engines/removal/HistoryText.h"

#include "i18n/FormatLocale.h"
#include "i18n/L.h"
#include "platform/Fmt.h"

namespace History {

QString originWord(Plan::Origin origin)
{
    switch (origin) {
    case Plan::Origin::window: return L("janela");
    case Plan::Origin::cli: return L("linha de comando");
    case Plan::Origin::automatic: return L("automática");
    }
    return {};
}

QString actionWord(const QString& action)
{
    if (action == "clean")
        return L("Limpeza");
    if (action == "large")
        return L("Arquivos grandes");
    if (action == "dupes" || action == "share")
        return L("Duplicados");
    if (action == "lint")
        return L("Pastas vazias e links quebrados");
    if (action == "uninstall")
        return L("Desinstalar");
    if (action == "space")
        return L("Espaço");
    if (action == "startup")
        return L("Inicialização");
    if (action == "emptyTrash")
        return L("Lixeira");
    return action;
}

QString resultWord(Plan::Result result)
{
    switch (result) {
    case Plan::Result::notRun: return L("não executado");
    case Plan::Result::done: return L("feito");
    case Plan::Result::failed: return L("falhou");
    case Plan::Result::held: return L("retido");
    case Plan::Result::gone: return L("já não existia");
    }
    return {};
}

QString whenText(const QDateTime& time)
{
    const QDateTime local = time.toLocalTime();
    return Fmt::date(local) + QLatin1Char(' ') + formattingLocale().toString(local.time(), QLocale::ShortFormat);
}

} // namespace History
