#include "art/art.h"

#include <stdexcept>
#include <string>

namespace zv::art {

QImage Load(const char* path) {
  QImage image(QString::fromLatin1(path));
  if (image.isNull()) throw std::runtime_error(std::string("picture not embedded in the program: ") + path);
  return image;
}

}  // namespace zv::art
