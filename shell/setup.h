// The setup sequence run before the show: the dialog's choices, the window
// and context, fonts, the two set-up textures and the OpenGL checks.
#pragma once

// Values the dialog produces, read by the rest of start-up.
extern int displayModeIndex;  // SDL display-mode index, -1 = desktop mode
extern int fullscreen;        // 1 or 0
extern int loopMusic;         // 1 or 0
extern float aspectRatio;     // monitor width / height
extern float aspectFactor;    // aspectRatio / (16/9): 0.75, 0.9 or 1.0

// Power-of-two sizes of the off-screen work area: 512 and 256.
extern int largeTexSize;
extern int smallTexSize;

// The two 128 x 128 transparent textures made during set-up.
struct Texture;
extern Texture* setupTexture1;
extern Texture* setupTexture2;

// Smallest power of two 2^k (k = 1..16) not below target.
int powerOfTwoAtLeast(int target);

// The part of the setup sequence after the window exists: the two sizes,
// fonts, set-up textures and the OpenGL checks, on the current context.
void setupContext();

// Runs the setup sequence. Returns only when the user chose "Run" and every
// check passed; "Exit" ends the process with status 0, failures are fatal.
void runSetup();
