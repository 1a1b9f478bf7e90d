/* Resource identifiers shared by qelvo.rc and the program's sources. */
#ifndef QELVO_RESOURCE_IDS_H
#define QELVO_RESOURCE_IDS_H

/* The window icon; the same icon is also the named group "DEFAULT_ICON". */
#define kWindowIconResource 129
/* The 18 x 16 GIF pen of 图片框_编辑框 (RCDATA, decoded with GDI+). */
#define kEditIconResource 130

#endif
