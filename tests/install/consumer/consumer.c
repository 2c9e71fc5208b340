/* A program of a library user: built against the installed header and
 * library only, it starts the link on an empty registry and asks for events. */
#include <stdio.h>

#include "qxzaqlnk.h"

int main(void)
{
    ZAQ16_LINK_INFO info;
    uint32_t reserved = 0, timeStamp = 0, code = 0, param = 0, board = 0, channel = 0;
    uint32_t boards = QXZAQStartLink(NULL);
    uint32_t noEvent = QXZAQGetEvent(&reserved, &timeStamp, &code, &param, &board, &channel);
    info.size = 3; /* a wrong size word is refused */
    uint32_t badSize = QXZAQGetLinkInfo(&info);
    QXZAQStopLink();
    printf("boards=%u event=%u badsize=0x%08X\n", boards, noEvent, badSize);
    return boards == 0 && noEvent == ZAQ16_RET_NO_EVENT && badSize == ZAQ16_RET_BAD_SIZE ? 0 : 1;
}
