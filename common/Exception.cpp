#include "common/Exception.h"

#include "common/Translate.h"

#include <new>

QString ExceptionText(const std::exception &e)
{
    if (const auto *own = dynamic_cast<const Exception *>(&e))
        return own->message();
    if (dynamic_cast<const std::bad_alloc *>(&e))
        return Tr(u"Недостаточно памяти для выполнения операции!");
    return QString::fromLocal8Bit(e.what());
}
