#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <functional>
#include <optional>

// The video nodes of a device directory and whether each is a camera.
namespace VideoNodes {

// "video" followed by digits only.
bool isVideoNodeName(QStringView name);
// The video nodes of `devRoot`, as absolute paths in name order.
QStringList list(const QString& devRoot);

// Whether V4L2 capabilities describe a capture device (a camera) rather than a metadata, output or
// codec node. `capabilities` and `deviceCapabilities` are the two fields of VIDIOC_QUERYCAP.
bool isCaptureDevice(quint32 capabilities, quint32 deviceCapabilities);

// True or false when the node's capabilities can be read, absent otherwise.
std::optional<bool> queryCapture(const QString& path);

// Decides whether a node counts as a camera; a node whose capabilities cannot be read does.
using CaptureProbe = std::function<std::optional<bool>(const QString& path)>;
bool countsAsCamera(const CaptureProbe& probe, const QString& path);

} // namespace VideoNodes
