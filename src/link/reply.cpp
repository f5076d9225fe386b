#include "link/reply.h"

ReplyClass classifyReply(QStringView received)
{
    if (!beginsWith(received, u"stt"))
        return ReplyClass::None;
    if (beginsWith(received, u"stt 0"))
        return ReplyClass::Idle;
    if (beginsWith(received, u"stt 1"))
        return ReplyClass::Speaking;
    if (beginsWith(received, u"stt-1"))
        return ReplyClass::Error;
    return ReplyClass::Other;
}
