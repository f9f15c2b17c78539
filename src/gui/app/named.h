#pragma once

#include <QString>

#include <utility>

/** A new control carrying the name the program's handlers know it by, which is also how tests find it. */
template <typename W, typename... Args> W* named(const char* name, Args&&... args)
{
    W* w = new W(std::forward<Args>(args)...);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
