import QtQuick 2.15

// The ember ring around the control that holds the keyboard focus, standing
// 3 px off its edges, as the window draws it around its own buttons. A
// control shows it while it has the focus from the keyboard.
Rectangle {
    property Item target: parent
    readonly property bool keyboardFocus: target !== null
                                          && (target.visualFocus !== undefined ? target.visualFocus : target.activeFocus)

    anchors.fill: parent
    anchors.margins: -3
    visible: keyboardFocus
    z: 100
    radius: 8
    color: "transparent"
    border.color: "#F57438"
    border.width: 2.5

    Rectangle {
        anchors.fill: parent
        anchors.margins: 2.5
        radius: 6
        color: "transparent"
        border.color: "#fff2e2"
        border.width: 1
    }
}
