// diagram/diagram_render: the diagram as a picture without a display: PNG through QImage, SVG
// through QSvgGenerator; and the offscreen application a program without windows needs first.
#pragma once
#include <memory>
#include <string>

#include <QImage>

class QApplication;
class QGraphicsScene;

namespace qb::diagram {

// A QApplication on the offscreen platform when the process has none yet (quill): null when
// one exists already. Keep it alive while rendering.
std::unique_ptr<QApplication> MakeOffscreenApplication();

// The whole scene on white with a margin, at SCALE.
QImage RenderImage(QGraphicsScene& scene, double scale = 1.0);
// Writes the scene to PATH. Throw std::runtime_error naming PATH when it cannot be written.
void SavePng(QGraphicsScene& scene, const std::string& path);
void SaveSvg(QGraphicsScene& scene, const std::string& path);
// By PATH's extension (.png or .svg, case ignored); std::invalid_argument for another.
void SavePicture(QGraphicsScene& scene, const std::string& path);

}  // namespace qb::diagram
