#pragma once
// Screenshots of the list kit: a paged table with its paging bar, the empty table, the date field
// with its calendar, the scrolling strip and the picture crop panel.

#include <QImage>
#include <QString>
#include <functional>

using GallerySave = std::function<void(const QImage& image, const QString& name)>;
using GalleryWait = std::function<void(int ms)>;

void shootListKit(const GallerySave& save, const GalleryWait& wait);
