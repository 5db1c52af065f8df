// The OpenGL and GLU calls of the program, routed through the table of
// platform/gl_table.h so that one switch at start-up chooses the backend. Every
// product file that draws includes this header instead of <GL/gl.h> and
// <GL/glu.h>; the names stay those of OpenGL 1.x.
#pragma once
#include "platform/gl_table.h"

#define glAlphaFunc glApi.AlphaFunc
#define glBegin glApi.Begin
#define glBindTexture glApi.BindTexture
#define glBlendFunc glApi.BlendFunc
#define glCallList glApi.CallList
#define glClear glApi.Clear
#define glClearColor glApi.ClearColor
#define glClearDepth glApi.ClearDepth
#define glColor4f glApi.Color4f
#define glColorMask glApi.ColorMask
#define glColorPointer glApi.ColorPointer
#define glCopyTexSubImage2D glApi.CopyTexSubImage2D
#define glCullFace glApi.CullFace
#define glDepthFunc glApi.DepthFunc
#define glDepthMask glApi.DepthMask
#define glDisable glApi.Disable
#define glDrawElements glApi.DrawElements
#define glEnable glApi.Enable
#define glEnableClientState glApi.EnableClientState
#define glEnd glApi.End
#define glEndList glApi.EndList
#define glFinish glApi.Finish
#define glFrontFace glApi.FrontFace
#define glGenLists glApi.GenLists
#define glGenTextures glApi.GenTextures
#define glGetError glApi.GetError
#define glGetFloatv glApi.GetFloatv
#define glGetIntegerv glApi.GetIntegerv
#define glGetString glApi.GetString
#define glHint glApi.Hint
#define glLoadIdentity glApi.LoadIdentity
#define glMaterialf glApi.Materialf
#define glMaterialfv glApi.Materialfv
#define glMatrixMode glApi.MatrixMode
#define glNewList glApi.NewList
#define glNormal3d glApi.Normal3d
#define glNormal3fv glApi.Normal3fv
#define glNormalPointer glApi.NormalPointer
#define glOrtho glApi.Ortho
#define glPixelStorei glApi.PixelStorei
#define glPopAttrib glApi.PopAttrib
#define glPopClientAttrib glApi.PopClientAttrib
#define glPopMatrix glApi.PopMatrix
#define glPushAttrib glApi.PushAttrib
#define glPushClientAttrib glApi.PushClientAttrib
#define glPushMatrix glApi.PushMatrix
#define glReadBuffer glApi.ReadBuffer
#define glReadPixels glApi.ReadPixels
#define glRotatef glApi.Rotatef
#define glScalef glApi.Scalef
#define glShadeModel glApi.ShadeModel
#define glStencilFunc glApi.StencilFunc
#define glStencilOp glApi.StencilOp
#define glTexCoord2f glApi.TexCoord2f
#define glTexCoordPointer glApi.TexCoordPointer
#define glTexEnvfv glApi.TexEnvfv
#define glTexEnvi glApi.TexEnvi
#define glTexGenfv glApi.TexGenfv
#define glTexGeni glApi.TexGeni
#define glTexImage2D glApi.TexImage2D
#define glTexParameteri glApi.TexParameteri
#define glTranslatef glApi.Translatef
#define glVertex2f glApi.Vertex2f
#define glVertex3d glApi.Vertex3d
#define glVertex3dv glApi.Vertex3dv
#define glVertex3f glApi.Vertex3f
#define glVertex3fv glApi.Vertex3fv
#define glVertexPointer glApi.VertexPointer
#define glViewport glApi.Viewport

#define gluLookAt glApi.LookAt
#define gluOrtho2D glApi.Ortho2D
#define gluPerspective glApi.Perspective
