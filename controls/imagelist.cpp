#include "controls/imagelist.h"

#include <algorithm>

TImageList::TImageList(int width, int height, QObject* parent)
    : QObject(parent), m_width(std::max(width, 1)), m_height(std::max(height, 1))
{
}

int TImageList::Add(const QImage& image)
{
    QImage img = image;
    if (img.size() != QSize(m_width, m_height))
        img = img.scaled(m_width, m_height);
    m_images.append(img);
    return Count() - 1;
}

QImage TImageList::Image(int index) const
{
    if (index < 0 || index >= Count())
        return QImage();
    return m_images.at(index);
}
