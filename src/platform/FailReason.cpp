#include "platform/FailReason.h"

#include <cerrno>

#include "i18n/L.h"

FailReason failReasonOf(int error)
{
    switch (error) {
    case 0:
        return FailReason::None;
    case EACCES:
    case EPERM:
        return FailReason::Permission;
    case ENOENT:
    case ENOTDIR:
        return FailReason::Missing;
    case EROFS:
        return FailReason::ReadOnly;
    case EBUSY:
    case ETXTBSY:
        return FailReason::Busy;
    case ELOOP:
        return FailReason::LinkRefused;
    case ENOSPC:
    case EDQUOT:
        return FailReason::NoSpace;
    default:
        return FailReason::Other;
    }
}

QString failReasonText(FailReason reason)
{
    switch (reason) {
    case FailReason::None:
        return {};
    case FailReason::Permission:
        return L("permissão negada");
    case FailReason::Missing:
        return L("o item não existe mais");
    case FailReason::ReadOnly:
        return L("o disco é somente leitura");
    case FailReason::Busy:
        return L("o item está em uso");
    case FailReason::MountInside:
        return L("há um ponto de montagem dentro do item");
    case FailReason::LinkRefused:
        return L("um link ocupa o lugar de uma pasta");
    case FailReason::NoSpace:
        return L("não há espaço livre no disco");
    case FailReason::Other:
        break;
    }
    return L("erro do sistema de arquivos");
}
