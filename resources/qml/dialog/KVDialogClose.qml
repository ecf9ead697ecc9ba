import QtQuick 2.15

// The close button of every dialog page: 32 px, 16 px in from the panel's
// top and right edges, clear of the frame line. Sends `clicked`.
Image {
    id: root

    readonly property string face: qmlArt.source(":/mainwindow/btn_dialogclose_"
                                                 + (area.pressed ? "press" : area.containsMouse ? "hover" : "normal"))

    signal clicked()

    x: parent ? parent.width - width - 16 : 0
    y: 16
    width: 32
    height: 32
    source: face
    smooth: true
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: qsTranslate("MainWindow", "CloseToolTip")
    Accessible.onPressAction: root.clicked()
    Keys.onSpacePressed: root.clicked()
    Keys.onReturnPressed: root.clicked()
    Keys.onEnterPressed: root.clicked()

    Text {
        anchors.centerIn: parent
        visible: root.face === ""
        text: "\u2715"
        color: area.containsMouse ? "#C66030" : "#6b5a48"
        font.pixelSize: 18
    }

    MouseArea {
        id: area

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.clicked()
    }

    KVFocusRing {}
}
