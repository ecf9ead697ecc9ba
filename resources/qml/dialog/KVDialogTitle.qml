import QtQuick 2.15

// The title of every dialog page: centred, 22 px bold in the family's brown,
// level with the close button and wrapped clear of it.
Text {
    x: 56
    y: 18
    width: parent && parent.width > 2 * x ? parent.width - 2 * x : 455
    horizontalAlignment: Text.AlignHCenter
    wrapMode: Text.Wrap
    color: "#7a3a1c"
    font.family: qmlCommonConfigs.fontFamily
    font.pixelSize: 22
    font.bold: true
}
