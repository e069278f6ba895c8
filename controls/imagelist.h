#pragma once
// A list of pictures of one size, drawn by index (the cell pictures of the
// painting grid).
#include <QImage>
#include <QList>
#include <QObject>

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(int width = 16, int height = 16, QObject* parent = nullptr);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Count() const { return static_cast<int>(m_images.size()); }

    // Adds a picture, scaled to the list's size when it differs; returns its index.
    int Add(const QImage& image);
    void Clear() { m_images.clear(); }
    // The picture of that index; a null image for an index outside the list.
    QImage Image(int index) const;

private:
    int m_width;
    int m_height;
    QList<QImage> m_images;
};
