// The example window's picture is a JPEG, decoded by libjpeg.
#pragma once

#include <QByteArray>
#include <QImage>

namespace kazu {

// A null image when the bytes are not a JPEG libjpeg can decode, or a picture too large.
QImage DecodeJpeg(const QByteArray& bytes);

}  // namespace kazu
